<?xml version="1.0" encoding="UTF-8"?>
<!--
  Morvalex report for conversion to a word-processor document: the screen report
  (morvreport.xsl) without navigation links, as one page whose contents and
  body a converter reads top to bottom. Serves as report and index style sheet.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="morvreport.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>
  <xsl:variable name="layout" select="'word'"/>
</xsl:stylesheet>
