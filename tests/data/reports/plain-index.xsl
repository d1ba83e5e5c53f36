<?xml version="1.0"?>
<!-- A report style sheet whose contents page has no place marked for the report. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/DATABASEINDEX">
    <ul><xsl:for-each select="*/*"><li><a href="{@Link}"><xsl:value-of select="@Name"/></a></li></xsl:for-each></ul>
  </xsl:template>
</xsl:stylesheet>
