<?xml version="1.0"?>
<!-- A report style sheet that keeps to the bare wrapper contract: Number and Name,
     the table's name as its anchor. Triggers and views link to a table. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/DATABASE">
    <div>
      <xsl:for-each select="TABLE[@Report = 1]">
        <morvtables Number="{position()}" Name="{@Name}"><h2 id="{@Name}"><xsl:value-of select="@Name"/></h2></morvtables>
      </xsl:for-each>
      <xsl:for-each select="TABLE/TRIGGER[@Report = 1]">
        <morvtriggers Number="{count(/DATABASE/TABLE[@Report = 1]) + position()}" Name="{@Name}"><p id="{@Name}"><a href="#Customers">Customers</a></p></morvtriggers>
      </xsl:for-each>
      <xsl:for-each select="VIEW[@Report = 1]">
        <morvviews Number="{100 + position()}" Name="{@Name}"><p id="{@Name}"><a href="#Customers">Customers</a></p></morvviews>
      </xsl:for-each>
    </div>
  </xsl:template>
</xsl:stylesheet>
