<?xml version="1.0" encoding="UTF-8"?>
<!--
  Printer-friendly Morvalex report: the screen report (morvreport.xsl) without
  its navigation links, for paper and PDF. Serves as report and index style sheet.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="morvreport.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>
  <xsl:variable name="layout" select="'print'"/>
</xsl:stylesheet>
