<?xml version="1.0" encoding="UTF-8"?>
<!--
  Contents page of a Morvalex report. Renders the report index document
  (DATABASEINDEX with its five lists) into the HTML that the report template
  receives. A one-page report puts its body where the comment "Morvtableshere"
  stands.

  The report style sheets import this file, so one style sheet renders both the
  structure document and the index document. Every text from the database is
  written with value-of (escaped); nothing here disables output escaping.

  Ids of our own start with "morv:"; object anchors never contain ":" unescaped,
  so they cannot clash.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:str="http://exslt.org/strings"
    exclude-result-prefixes="str">

  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <!-- "screen", "print" or "word"; the importing style sheets set their own. -->
  <xsl:variable name="layout" select="'screen'"/>

  <xsl:template match="/DATABASEINDEX">
    <section class="contents" id="morv:contents">
      <div class="summary">
        <dl class="facts">
          <xsl:if test="string(@ServerName) != ''">
            <dt>Server</dt>
            <dd><xsl:value-of select="@ServerName"/></dd>
          </xsl:if>
          <dt>Report date</dt>
          <dd><xsl:value-of select="@ReportDate"/></dd>
        </dl>
        <table class="counts">
          <tr>
            <xsl:for-each select="TABLESLIST|VIEWSLIST|STOREDPROCEDURESLIST|TRIGGERSLIST|INDEXESLIST">
              <td>
                <span class="count">
                  <xsl:choose>
                    <xsl:when test="@NotRead = 'True'">not read</xsl:when>
                    <xsl:otherwise><xsl:value-of select="count(*)"/></xsl:otherwise>
                  </xsl:choose>
                </span>
                <!-- A word processor does not set the count above its kind: there
                     a blank keeps the two apart. -->
                <xsl:if test="$layout = 'word'">
                  <xsl:text> </xsl:text>
                </xsl:if>
                <span class="what"><xsl:apply-templates select="." mode="caption"/></span>
              </td>
            </xsl:for-each>
          </tr>
        </table>
      </div>
      <h2 class="contents-title">Contents</h2>
      <xsl:choose>
        <xsl:when test="*/*">
          <xsl:apply-templates select="TABLESLIST|VIEWSLIST|STOREDPROCEDURESLIST|TRIGGERSLIST|INDEXESLIST"/>
        </xsl:when>
        <xsl:otherwise>
          <p class="empty">This report holds no objects.</p>
        </xsl:otherwise>
      </xsl:choose>
    </section>
    <xsl:comment>Morvtableshere</xsl:comment>
  </xsl:template>

  <!-- One list of the contents; empty lists are left out. -->
  <xsl:template match="TABLESLIST|VIEWSLIST|STOREDPROCEDURESLIST|TRIGGERSLIST|INDEXESLIST">
    <xsl:if test="*">
      <section class="contents-list">
        <h3>
          <xsl:apply-templates select="." mode="caption"/>
          <xsl:text> </xsl:text>
          <span class="badge"><xsl:value-of select="count(*)"/></span>
        </h3>
        <!-- The Word layout's bookmarks are named after the objects' Numbers (see
             morvreport.xsl), which run over tables, indexes, triggers, views and
             procedures in this order, each kind in the order of its list. -->
        <xsl:variable name="numbered-before">
          <xsl:choose>
            <xsl:when test="self::TABLESLIST">0</xsl:when>
            <xsl:when test="self::INDEXESLIST"><xsl:value-of select="count(../TABLESLIST/*)"/></xsl:when>
            <xsl:when test="self::TRIGGERSLIST"><xsl:value-of select="count(../TABLESLIST/* | ../INDEXESLIST/*)"/></xsl:when>
            <xsl:when test="self::VIEWSLIST">
              <xsl:value-of select="count(../TABLESLIST/* | ../INDEXESLIST/* | ../TRIGGERSLIST/*)"/>
            </xsl:when>
            <xsl:otherwise>
              <xsl:value-of select="count(../TABLESLIST/* | ../INDEXESLIST/* | ../TRIGGERSLIST/* | ../VIEWSLIST/*)"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <ol class="links">
          <!-- A word processor places an entry's text after its number, and moves
               the text of entries whose number is wider than the room it leaves
               (10 and up) to the next tab stop. Room for numbers of four digits keeps
               every entry's text at one place. -->
          <xsl:if test="$layout = 'word'">
            <xsl:attribute name="style">margin-left:54pt; text-indent:-36pt</xsl:attribute>
          </xsl:if>
          <xsl:for-each select="*">
            <li>
              <a href="{@Link}">
                <xsl:if test="$layout = 'word'">
                  <xsl:attribute name="href">#morv_<xsl:value-of select="$numbered-before + position()"/></xsl:attribute>
                </xsl:if>
                <xsl:value-of select="@Name"/>
              </a>
              <xsl:call-template name="owner"/>
            </li>
          </xsl:for-each>
        </ol>
      </section>
    </xsl:if>
  </xsl:template>

  <!-- Index and trigger names repeat across tables: their anchors ("index:" or
       "trigger:", the encoded table, "/", the encoded name) tell the table. -->
  <xsl:template name="owner">
    <xsl:variable name="fragment" select="substring-after(@Link, '#')"/>
    <xsl:variable name="qualified" select="substring-after($fragment, ':')"/>
    <xsl:if test="(starts-with($fragment, 'index:') or starts-with($fragment, 'trigger:')) and contains($qualified, '/')">
      <xsl:text> </xsl:text>
      <span class="owner">on <xsl:value-of select="str:decode-uri(substring-before($qualified, '/'))"/></span>
    </xsl:if>
  </xsl:template>

  <xsl:template match="TABLESLIST" mode="caption">Tables</xsl:template>
  <xsl:template match="VIEWSLIST" mode="caption">Views</xsl:template>
  <xsl:template match="STOREDPROCEDURESLIST" mode="caption">Stored procedures</xsl:template>
  <xsl:template match="TRIGGERSLIST" mode="caption">Triggers</xsl:template>
  <xsl:template match="INDEXESLIST" mode="caption">Indexes</xsl:template>

</xsl:stylesheet>
