<?xml version="1.0" encoding="UTF-8"?>
<!--
  The Morvalex document preview: one HTML page of the part of a structure document
  that is selected in the explorer.

  Input: a DATABASE element holding the selected objects. For a whole connection it
  is the structure document's own DATABASE element (every attribute, every object);
  for anything else it carries Name, DatabaseEngine, ServerName and Time and holds
  the selected TABLE, INDEX, FOREIGNKEY, TRIGGER, VIEW or STOREDPROCEDURE elements,
  each with its subtree. CSSFile is the style sheet to link (a URL), SourceXPath the
  path that was selected. Everything selected is shown, whatever its Report mark.
  LeftOut, when present, is the number of selected objects the explorer left out of
  a large selection; the page says so above the objects.

  Every text from the database (names, types, defaults, check clauses, SQL text) is
  written with value-of or as an attribute value, so it reaches the page escaped and
  never becomes markup. The marker "<BR/>" in SQL text becomes a line break inside a
  pre block. The page uses no extension functions and needs no script.

  The page is read in the explorer's own viewer (a rich-text view that knows tables,
  colours and fonts, but no flex or grid layout and no border on a block) and in web
  browsers when it is saved. So its layout rests on headings, paragraphs and tables:
  a framed box is a table of one cell, and widths and spacings are also given as
  table attributes. The CSS file gives colours and type through the classes
  "pv-..." and body.preview; the style sheets keep those rules above any @media rule
  with a media feature, where the explorer's viewer stops reading.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:output method="html" encoding="UTF-8" indent="no" doctype-system="about:legacy-compat"/>

  <xsl:variable name="objects" select="/DATABASE/*[self::TABLE or self::INDEX or self::FOREIGNKEY or
                                        self::TRIGGER or self::VIEW or self::STOREDPROCEDURE]"/>

  <!-- ================================================================ page -->

  <xsl:template match="/">
    <html lang="en">
      <head>
        <meta http-equiv="Content-Security-Policy" content="script-src 'none'; object-src 'none'"/>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <title>
          <xsl:call-template name="database-name"/>
          <xsl:text> - Morvalex preview</xsl:text>
        </title>
        <xsl:if test="string(/DATABASE/@CSSFile) != ''">
          <link rel="stylesheet" type="text/css" href="{/DATABASE/@CSSFile}"/>
        </xsl:if>
      </head>
      <body class="preview">
        <xsl:apply-templates select="DATABASE"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="DATABASE">
    <table class="pv-head" width="100%" cellspacing="0" cellpadding="16">
      <tr>
        <td>
          <p class="pv-kind"><xsl:call-template name="selection-title"/></p>
          <h1 class="pv-title"><xsl:call-template name="database-name"/></h1>
          <p class="pv-facts">
            <xsl:call-template name="facts">
              <xsl:with-param name="values" select="@DatabaseEngine | @ServerName"/>
            </xsl:call-template>
          </p>
        </td>
      </tr>
    </table>

    <div class="pv-body">
      <xsl:if test="@CreatedOn or @CreatedBy">
        <p class="pv-meta">
          <xsl:call-template name="meta-item">
            <xsl:with-param name="label" select="'Documented on'"/>
            <xsl:with-param name="value" select="@CreatedOn"/>
          </xsl:call-template>
          <xsl:call-template name="meta-item">
            <xsl:with-param name="label" select="'by'"/>
            <xsl:with-param name="value" select="@CreatedBy"/>
          </xsl:call-template>
        </p>
      </xsl:if>

      <xsl:if test="@LeftOut">
        <p class="pv-empty">
          <xsl:text>This preview shows the first </xsl:text>
          <xsl:value-of select="count($objects)"/>
          <xsl:text> objects; </xsl:text>
          <xsl:value-of select="format-number(@LeftOut, '#,##0')"/>
          <xsl:text> more are left out. A report holds them all.</xsl:text>
        </p>
      </xsl:if>

      <xsl:choose>
        <xsl:when test="not($objects)">
          <p class="pv-empty">
            <xsl:choose>
              <xsl:when test="contains(@SourceXPath, '/')">Nothing to show: no selected object is marked for the report.</xsl:when>
              <xsl:otherwise>This database holds no tables, views or stored procedures.</xsl:otherwise>
            </xsl:choose>
          </p>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="group">
            <xsl:with-param name="title" select="'Tables'"/>
            <xsl:with-param name="nodes" select="TABLE"/>
          </xsl:call-template>
          <xsl:if test="INDEX">
            <xsl:call-template name="card">
              <xsl:with-param name="kind" select="'Indexes'"/>
              <xsl:with-param name="name" select="INDEX[1]/@Table_Name"/>
              <xsl:with-param name="content">
                <xsl:call-template name="indexes">
                  <xsl:with-param name="nodes" select="INDEX"/>
                </xsl:call-template>
              </xsl:with-param>
            </xsl:call-template>
          </xsl:if>
          <xsl:if test="FOREIGNKEY">
            <xsl:call-template name="card">
              <xsl:with-param name="kind" select="'Foreign keys'"/>
              <xsl:with-param name="name" select="FOREIGNKEY[1]/@PrimaryKeyTable"/>
              <xsl:with-param name="content">
                <xsl:call-template name="foreign-keys">
                  <xsl:with-param name="nodes" select="FOREIGNKEY"/>
                </xsl:call-template>
              </xsl:with-param>
            </xsl:call-template>
          </xsl:if>
          <xsl:if test="TRIGGER">
            <xsl:call-template name="card">
              <xsl:with-param name="kind" select="'Triggers'"/>
              <xsl:with-param name="name" select="TRIGGER[1]/@Table_Name"/>
              <xsl:with-param name="content">
                <xsl:apply-templates select="TRIGGER"/>
              </xsl:with-param>
            </xsl:call-template>
          </xsl:if>
          <xsl:call-template name="group">
            <xsl:with-param name="title" select="'Views'"/>
            <xsl:with-param name="nodes" select="VIEW"/>
          </xsl:call-template>
          <xsl:call-template name="group">
            <xsl:with-param name="title" select="'Stored procedures'"/>
            <xsl:with-param name="nodes" select="STOREDPROCEDURE"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </div>
  </xsl:template>

  <!-- The database's name: Name, or DatabaseName when Name is empty. -->
  <xsl:template name="database-name">
    <xsl:choose>
      <xsl:when test="string(/DATABASE/@Name) != ''"><xsl:value-of select="/DATABASE/@Name"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="/DATABASE/@DatabaseName"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- What the page shows, above the database's name. -->
  <xsl:template name="selection-title">
    <xsl:choose>
      <xsl:when test="not(contains(@SourceXPath, '/'))">Database structure</xsl:when>
      <xsl:when test="TABLE and count($objects) = 1">Table</xsl:when>
      <xsl:when test="TABLE">Tables</xsl:when>
      <xsl:when test="VIEW and count($objects) = 1">View</xsl:when>
      <xsl:when test="VIEW">Views</xsl:when>
      <xsl:when test="STOREDPROCEDURE and count($objects) = 1">Stored procedure</xsl:when>
      <xsl:when test="STOREDPROCEDURE">Stored procedures</xsl:when>
      <xsl:when test="INDEX and count($objects) = 1">Index</xsl:when>
      <xsl:when test="INDEX">Indexes</xsl:when>
      <xsl:when test="TRIGGER and count($objects) = 1">Trigger</xsl:when>
      <xsl:when test="TRIGGER">Triggers</xsl:when>
      <xsl:when test="FOREIGNKEY">Foreign keys</xsl:when>
      <xsl:otherwise>Structure preview</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The non-empty values, separated by middle dots. -->
  <xsl:template name="facts">
    <xsl:param name="values"/>
    <xsl:for-each select="$values[normalize-space(.) != '']">
      <xsl:if test="position() &gt; 1"><span class="pv-dot"> &#183; </span></xsl:if>
      <xsl:value-of select="."/>
    </xsl:for-each>
  </xsl:template>

  <!-- Objects of one kind, under a heading with their number when the page shows
       more than one object or a whole database. -->
  <xsl:template name="group">
    <xsl:param name="title"/>
    <xsl:param name="nodes"/>
    <xsl:if test="$nodes">
      <xsl:if test="count($objects) &gt; 1 or not(contains(@SourceXPath, '/'))">
        <h2 class="pv-group">
          <xsl:value-of select="$title"/>
          <!-- Of a selection shown in part the number would count only what is shown. -->
          <xsl:if test="not(/*/@LeftOut)">
            <xsl:text> </xsl:text>
            <span class="pv-count"><xsl:value-of select="count($nodes)"/></span>
          </xsl:if>
        </h2>
      </xsl:if>
      <xsl:apply-templates select="$nodes"/>
    </xsl:if>
  </xsl:template>

  <!-- A framed box: a kind label and a name over the content. -->
  <xsl:template name="card">
    <xsl:param name="kind"/>
    <xsl:param name="name"/>
    <xsl:param name="content"/>
    <table class="pv-card" width="100%" cellspacing="0" cellpadding="14">
      <tr>
        <td>
          <p class="pv-object">
            <span class="pv-kind-label"><xsl:value-of select="$kind"/></span>
            <xsl:text>&#160;&#160;</xsl:text>
            <span class="pv-name"><xsl:value-of select="$name"/></span>
          </p>
          <xsl:copy-of select="$content"/>
        </td>
      </tr>
    </table>
  </xsl:template>

  <!-- ============================================================== tables -->

  <xsl:template match="TABLE">
    <xsl:call-template name="card">
      <xsl:with-param name="kind" select="'Table'"/>
      <xsl:with-param name="name" select="@Name"/>
      <xsl:with-param name="content">
        <xsl:call-template name="meta">
          <xsl:with-param name="label" select="'Created on'"/>
          <xsl:with-param name="value" select="@CreatedOn"/>
        </xsl:call-template>
        <xsl:if test="@PartitionKey">
          <xsl:call-template name="meta">
            <xsl:with-param name="label" select="'Partitioned by'"/>
            <xsl:with-param name="value" select="@PartitionKey"/>
          </xsl:call-template>
        </xsl:if>
        <xsl:if test="@PartitionOf">
          <xsl:call-template name="meta">
            <xsl:with-param name="label" select="'Partition of'"/>
            <xsl:with-param name="value" select="@PartitionOf"/>
            <xsl:with-param name="label2" select="'Bounds'"/>
            <xsl:with-param name="value2" select="@PartitionBound"/>
          </xsl:call-template>
        </xsl:if>
        <xsl:call-template name="columns"/>
        <xsl:if test="INDEX">
          <h3 class="pv-part">Indexes</h3>
          <xsl:call-template name="indexes">
            <xsl:with-param name="nodes" select="INDEX"/>
          </xsl:call-template>
        </xsl:if>
        <xsl:if test="FOREIGNKEY">
          <h3 class="pv-part">Foreign keys</h3>
          <xsl:call-template name="foreign-keys">
            <xsl:with-param name="nodes" select="FOREIGNKEY"/>
          </xsl:call-template>
        </xsl:if>
        <xsl:if test="TRIGGER">
          <h3 class="pv-part">Triggers</h3>
          <xsl:apply-templates select="TRIGGER"/>
        </xsl:if>
      </xsl:with-param>
    </xsl:call-template>
  </xsl:template>

  <xsl:template name="columns">
    <h3 class="pv-part">Columns</h3>
    <xsl:choose>
      <xsl:when test="COLUMN">
        <xsl:variable name="described" select="COLUMN[string(@Description) != '']"/>
        <xsl:variable name="checked" select="COLUMN[string(@Check_Constraint) != '']"/>
        <table class="pv-grid" width="100%" cellspacing="0" cellpadding="5">
          <thead>
            <tr>
              <th class="pv-num" align="right" width="1%">#</th>
              <th align="left">Column</th>
              <th align="left">Type</th>
              <th align="left">Null</th>
              <th align="left">Default</th>
              <xsl:if test="$checked"><th align="left">Check</th></xsl:if>
              <th align="left">Key</th>
              <xsl:if test="$described"><th align="left">Description</th></xsl:if>
            </tr>
          </thead>
          <tbody>
            <xsl:for-each select="COLUMN">
              <tr>
                <xsl:call-template name="row-class"/>
                <td class="pv-num" align="right" valign="top"><xsl:value-of select="@Ordinal_Position | @Serial_Number"/></td>
                <td class="pv-column" valign="top"><xsl:value-of select="@Name"/></td>
                <td class="pv-type" valign="top">
                  <xsl:value-of select="@Datatype"/>
                  <xsl:if test="string(@Length) != '0' and string(@Length) != ''">
                    <xsl:value-of select="concat('(', @Length)"/>
                    <xsl:if test="@Scale"><xsl:value-of select="concat(',', @Scale)"/></xsl:if>
                    <xsl:text>)</xsl:text>
                  </xsl:if>
                </td>
                <td valign="top">
                  <xsl:choose>
                    <xsl:when test="@Null_Allowed = 'True'">Yes</xsl:when>
                    <xsl:when test="@Null_Allowed = 'False'"><span class="pv-not-null">No</span></xsl:when>
                    <xsl:otherwise><xsl:value-of select="@Null_Allowed"/></xsl:otherwise>
                  </xsl:choose>
                </td>
                <td valign="top">
                  <xsl:if test="string(@Column_Default) != ''">
                    <code class="pv-code"><xsl:value-of select="@Column_Default"/></code>
                  </xsl:if>
                  <xsl:if test="@Identity">
                    <code class="pv-code"><xsl:value-of select="concat('GENERATED ', @Identity, ' AS IDENTITY')"/></code>
                  </xsl:if>
                  <xsl:if test="@Generated">
                    <code class="pv-code"><xsl:value-of select="concat('GENERATED ALWAYS AS (', @Generated, ') ', @Storage)"/></code>
                  </xsl:if>
                </td>
                <xsl:if test="$checked">
                  <td valign="top">
                    <xsl:if test="string(@Check_Constraint) != ''">
                      <code class="pv-code"><xsl:value-of select="@Check_Constraint"/></code>
                    </xsl:if>
                  </td>
                </xsl:if>
                <td valign="top">
                  <xsl:if test="string(@Primary_Key) != ''">
                    <span class="pv-key">&#160;PK&#160;</span>
                    <xsl:text> </xsl:text>
                    <span class="pv-key-name"><xsl:value-of select="@Primary_Key"/></span>
                  </xsl:if>
                </td>
                <xsl:if test="$described">
                  <td valign="top"><xsl:value-of select="@Description"/></td>
                </xsl:if>
              </tr>
            </xsl:for-each>
          </tbody>
        </table>
      </xsl:when>
      <xsl:otherwise>
        <p class="pv-empty">No columns.</p>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Indexes as one table. -->
  <xsl:template name="indexes">
    <xsl:param name="nodes"/>
    <table class="pv-grid" width="100%" cellspacing="0" cellpadding="5">
      <thead>
        <tr>
          <th align="left">Index</th>
          <th align="left">Columns</th>
          <th align="left">Properties</th>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$nodes">
          <tr>
            <xsl:call-template name="row-class"/>
            <td class="pv-column" valign="top"><xsl:value-of select="@Name"/></td>
            <td valign="top">
              <xsl:call-template name="comma-list">
                <xsl:with-param name="text" select="string(@Column_Name)"/>
              </xsl:call-template>
            </td>
            <td valign="top">
              <xsl:call-template name="comma-list">
                <xsl:with-param name="text" select="string(@Description)"/>
              </xsl:call-template>
              <xsl:if test="@Method"><div>Method <xsl:value-of select="@Method"/></div></xsl:if>
              <xsl:if test="@Descending"><div>Descending <xsl:value-of select="@Descending"/></div></xsl:if>
              <xsl:if test="@Include"><div>Include <xsl:value-of select="@Include"/></div></xsl:if>
              <xsl:if test="@Where"><div>Where <code class="pv-code"><xsl:value-of select="@Where"/></code></div></xsl:if>
            </td>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <!-- Foreign keys as one table: the referencing column and the column it refers to. -->
  <xsl:template name="foreign-keys">
    <xsl:param name="nodes"/>
    <table class="pv-grid" width="100%" cellspacing="0" cellpadding="5">
      <thead>
        <tr>
          <th align="left">Foreign key</th>
          <th align="left">Column</th>
          <th align="left">References</th>
          <th align="left">On update</th>
          <th align="left">On delete</th>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$nodes">
          <tr>
            <xsl:call-template name="row-class"/>
            <td class="pv-column" valign="top"><xsl:value-of select="@Name"/></td>
            <td valign="top">
              <xsl:value-of select="@ForeignKeyTable"/>
              <span class="pv-dot">.</span>
              <span class="pv-column"><xsl:value-of select="@RelatedColumn"/></span>
            </td>
            <td valign="top">
              <xsl:value-of select="@PrimaryKeyTable"/>
              <span class="pv-dot">.</span>
              <span class="pv-column"><xsl:value-of select="@PrimaryKeyColumn"/></span>
            </td>
            <td valign="top"><xsl:value-of select="@UpdateRule"/></td>
            <td valign="top">
              <xsl:value-of select="@DeleteRule"/>
              <xsl:if test="@Deferrable"><div><xsl:value-of select="concat('DEFERRABLE ', @Deferrable)"/></div></xsl:if>
            </td>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <!-- A trigger: its name over its SQL text. -->
  <xsl:template match="TRIGGER">
    <h4 class="pv-sub"><xsl:value-of select="@Name"/></h4>
    <xsl:call-template name="sql"/>
  </xsl:template>

  <!-- ================================================= views and procedures -->

  <xsl:template match="VIEW">
    <xsl:call-template name="card">
      <xsl:with-param name="kind" select="'View'"/>
      <xsl:with-param name="name" select="@Name"/>
      <xsl:with-param name="content">
        <xsl:call-template name="meta">
          <xsl:with-param name="label" select="'Created on'"/>
          <xsl:with-param name="value" select="@CreatedOn"/>
          <xsl:with-param name="label2" select="'Updatable'"/>
          <xsl:with-param name="value2" select="@Updatable"/>
        </xsl:call-template>
        <h3 class="pv-part">Definition</h3>
        <xsl:call-template name="sql"/>
        <xsl:if test="COLUMN">
          <h3 class="pv-part">Columns</h3>
          <table class="pv-grid" width="100%" cellspacing="0" cellpadding="5">
            <thead>
              <tr><th align="left">Column</th><th align="left">Source table</th></tr>
            </thead>
            <tbody>
              <xsl:for-each select="COLUMN">
                <tr>
                  <xsl:call-template name="row-class"/>
                  <td class="pv-column" valign="top"><xsl:value-of select="@Name"/></td>
                  <td valign="top"><xsl:value-of select="@SourceTable"/></td>
                </tr>
              </xsl:for-each>
            </tbody>
          </table>
        </xsl:if>
      </xsl:with-param>
    </xsl:call-template>
  </xsl:template>

  <xsl:template match="STOREDPROCEDURE">
    <xsl:call-template name="card">
      <xsl:with-param name="kind" select="'Stored procedure'"/>
      <xsl:with-param name="name" select="@Name"/>
      <xsl:with-param name="content">
        <xsl:call-template name="meta">
          <xsl:with-param name="label" select="'Created on'"/>
          <xsl:with-param name="value" select="@CreatedOn"/>
          <xsl:with-param name="label2" select="'Last modified'"/>
          <xsl:with-param name="value2" select="@LastModified"/>
          <xsl:with-param name="label3" select="'Type'"/>
          <xsl:with-param name="value3" select="@Type"/>
        </xsl:call-template>
        <h3 class="pv-part">Definition</h3>
        <xsl:call-template name="sql"/>
      </xsl:with-param>
    </xsl:call-template>
  </xsl:template>

  <!-- ============================================================= helpers -->

  <!-- Up to three labelled facts in one line; empty ones are left out. -->
  <xsl:template name="meta">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <xsl:param name="label2"/>
    <xsl:param name="value2"/>
    <xsl:param name="label3"/>
    <xsl:param name="value3"/>
    <xsl:if test="normalize-space(concat($value, $value2, $value3)) != ''">
      <p class="pv-meta">
        <xsl:call-template name="meta-item">
          <xsl:with-param name="label" select="$label"/>
          <xsl:with-param name="value" select="$value"/>
        </xsl:call-template>
        <xsl:call-template name="meta-item">
          <xsl:with-param name="label" select="$label2"/>
          <xsl:with-param name="value" select="$value2"/>
        </xsl:call-template>
        <xsl:call-template name="meta-item">
          <xsl:with-param name="label" select="$label3"/>
          <xsl:with-param name="value" select="$value3"/>
        </xsl:call-template>
      </p>
    </xsl:if>
  </xsl:template>

  <xsl:template name="meta-item">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <xsl:if test="normalize-space($value) != ''">
      <span class="pv-meta-label"><xsl:value-of select="$label"/></span>
      <xsl:text> </xsl:text>
      <span class="pv-meta-value"><xsl:value-of select="$value"/></span>
      <xsl:text>&#160;&#160;&#160; </xsl:text>
    </xsl:if>
  </xsl:template>

  <!-- The class of a table row: "odd" or "even" by its position, then extra. -->
  <xsl:template name="row-class">
    <xsl:param name="extra"/>
    <xsl:attribute name="class">
      <xsl:choose>
        <xsl:when test="position() mod 2 = 0">even</xsl:when>
        <xsl:otherwise>odd</xsl:otherwise>
      </xsl:choose>
      <xsl:value-of select="$extra"/>
    </xsl:attribute>
  </xsl:template>

  <!-- A ","-separated list written with a blank after each comma. -->
  <xsl:template name="comma-list">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, ',')">
        <xsl:value-of select="substring-before($text, ',')"/>
        <xsl:text>, </xsl:text>
        <xsl:call-template name="comma-list">
          <xsl:with-param name="text" select="substring-after($text, ',')"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The SQL text of the object in context. -->
  <xsl:template name="sql">
    <xsl:variable name="lines">
      <xsl:call-template name="lines">
        <xsl:with-param name="text" select="string(SQLSCRIPT)"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="normalize-space($lines) != ''">
        <table class="pv-sql" width="100%" cellspacing="0" cellpadding="10">
          <tr><td><pre><xsl:value-of select="$lines"/></pre></td></tr>
        </table>
      </xsl:when>
      <xsl:otherwise>
        <p class="pv-empty">No source text.</p>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Text with every "<BR/>" turned into a line feed. A long text is cut in two at a
       marker near its middle and each half done alike, so that a script of many
       thousand lines never nests the calls deeper than a few dozen. -->
  <xsl:template name="lines">
    <xsl:param name="text"/>
    <xsl:variable name="length" select="string-length($text)"/>
    <xsl:choose>
      <xsl:when test="$length &gt; 2000">
        <xsl:variable name="middle" select="floor($length div 2)"/>
        <xsl:variable name="rest" select="substring($text, $middle + 1)"/>
        <xsl:choose>
          <xsl:when test="contains($rest, '&lt;BR/&gt;')">
            <xsl:call-template name="lines">
              <xsl:with-param name="text" select="concat(substring($text, 1, $middle), substring-before($rest, '&lt;BR/&gt;'))"/>
            </xsl:call-template>
            <xsl:text>&#10;</xsl:text>
            <xsl:call-template name="lines">
              <xsl:with-param name="text" select="substring-after($rest, '&lt;BR/&gt;')"/>
            </xsl:call-template>
          </xsl:when>
          <xsl:otherwise>
            <!-- Every marker ends within the first half and four characters. -->
            <xsl:call-template name="lines">
              <xsl:with-param name="text" select="substring($text, 1, $middle + 4)"/>
            </xsl:call-template>
            <xsl:value-of select="substring($text, $middle + 5)"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="contains($text, '&lt;BR/&gt;')">
        <xsl:value-of select="substring-before($text, '&lt;BR/&gt;')"/>
        <xsl:text>&#10;</xsl:text>
        <xsl:call-template name="lines">
          <xsl:with-param name="text" select="substring-after($text, '&lt;BR/&gt;')"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>
