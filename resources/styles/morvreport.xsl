<?xml version="1.0" encoding="UTF-8"?>
<!--
  The Morvalex HTML report. Renders a structure document (DATABASE) into the body
  of a report; the contents page (DATABASEINDEX) comes from morvindex.xsl, which
  this file imports, so one style sheet serves as report and as index style sheet.

  Contract with the report generator:
  - Every reported object stands in a wrapper element named "morv" + its kind
    (morvtables, morvindexes, morvtriggers, morvviews, morvstored_procedures) with
    the attributes Number, Name and Anchor, closed by the matching end tag. A paged
    report is cut along these wrappers. Indexes and triggers are drawn inside
    their table's section, so their wrappers sit inside the table's wrapper.
  - Number runs over all reported objects in the order tables, indexes, triggers,
    views, stored procedures; the page files are named after it.
  - Anchor is the id of the object. A link to a table is href="#" + the table's
    anchor. A table's anchor is its name with every character outside
    A-Z a-z 0-9 - _ . ! ~ * ' ( ) @ percent-encoded (UTF-8), so it is safe in a URL
    and two different names never share one. The other kinds carry a prefix
    ("index:", "trigger:", "view:", "procedure:"); indexes and triggers also carry
    their table, because their names repeat across tables.
  - Links back to the contents start with "index.html"; a one-page report drops it.
  - Only tables that are themselves reported are linked; views and procedures
    name their tables without links.

  Database text is always written with value-of, so it reaches the page escaped.
  The marker "<BR/>" in SQL text becomes a line break inside a pre block.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:str="http://exslt.org/strings"
    xmlns:exsl="http://exslt.org/common"
    exclude-result-prefixes="str exsl">

  <xsl:import href="morvindex.xsl"/>

  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <!-- "screen", "print" or "word". -->
  <xsl:variable name="layout" select="'screen'"/>

  <!-- Reported objects of each kind, in document order. -->
  <xsl:variable name="tables" select="/DATABASE/TABLE[@Report = 1]"/>
  <xsl:variable name="indexes" select="/DATABASE/TABLE/INDEX[@Report = 1]"/>
  <xsl:variable name="triggers" select="/DATABASE/TABLE/TRIGGER[@Report = 1]"/>
  <xsl:variable name="views" select="/DATABASE/VIEW[@Report = 1]"/>
  <xsl:variable name="procedures" select="/DATABASE/STOREDPROCEDURE[@Report = 1]"/>
  <!-- Counted once: a count in the numbering below would copy the node set for every
       index and trigger. -->
  <xsl:variable name="tableCount" select="count($tables)"/>
  <xsl:variable name="indexCount" select="count($indexes)"/>

  <!-- Running numbers of the objects drawn inside the tables' sections. -->
  <xsl:variable name="numbering">
    <xsl:for-each select="$tables">
      <n of="{generate-id()}" v="{position()}"/>
    </xsl:for-each>
    <xsl:for-each select="$indexes">
      <n of="{generate-id()}" v="{$tableCount + position()}"/>
    </xsl:for-each>
    <xsl:for-each select="$triggers">
      <n of="{generate-id()}" v="{$tableCount + $indexCount + position()}"/>
    </xsl:for-each>
  </xsl:variable>
  <xsl:key name="number" match="n" use="@of"/>

  <!-- Reported tables by name, for links. -->
  <xsl:key name="table" match="/DATABASE/TABLE[@Report = 1]" use="@Name"/>

  <!-- ================================================================ body -->

  <xsl:template match="/DATABASE">
    <xsl:variable name="shownTables"
                  select="TABLE[@Report = 1 or INDEX[@Report = 1] or TRIGGER[@Report = 1]]"/>
    <div class="report-body">
      <xsl:call-template name="database-facts"/>

      <xsl:if test="$shownTables">
        <section class="group" id="morv:tables">
          <h2 class="group-title">Tables <span class="badge"><xsl:value-of select="count($tables)"/></span></h2>
          <xsl:apply-templates select="$shownTables"/>
        </section>
      </xsl:if>

      <xsl:if test="$views">
        <section class="group" id="morv:views">
          <h2 class="group-title">Views <span class="badge"><xsl:value-of select="count($views)"/></span></h2>
          <xsl:variable name="before" select="count($tables) + count($indexes) + count($triggers)"/>
          <xsl:for-each select="$views">
            <xsl:apply-templates select=".">
              <xsl:with-param name="number" select="$before + position()"/>
            </xsl:apply-templates>
          </xsl:for-each>
        </section>
      </xsl:if>

      <xsl:if test="$procedures">
        <section class="group" id="morv:procedures">
          <h2 class="group-title">Stored procedures <span class="badge"><xsl:value-of select="count($procedures)"/></span></h2>
          <xsl:variable name="before" select="count($tables) + count($indexes) + count($triggers) + count($views)"/>
          <xsl:for-each select="$procedures">
            <xsl:apply-templates select=".">
              <xsl:with-param name="number" select="$before + position()"/>
            </xsl:apply-templates>
          </xsl:for-each>
        </section>
      </xsl:if>

      <xsl:if test="not($shownTables or $views or $procedures)">
        <p class="empty">No object of this database is marked for the report.</p>
      </xsl:if>
    </div>
  </xsl:template>

  <xsl:template name="database-facts">
    <section class="database-facts">
      <dl class="facts">
        <xsl:call-template name="fact">
          <xsl:with-param name="label" select="'Database product'"/>
          <xsl:with-param name="value" select="@DatabaseEngine"/>
        </xsl:call-template>
        <xsl:call-template name="fact">
          <xsl:with-param name="label" select="'Database'"/>
          <xsl:with-param name="value" select="@DatabaseName"/>
        </xsl:call-template>
        <xsl:call-template name="fact">
          <xsl:with-param name="label" select="'Server or file'"/>
          <xsl:with-param name="value" select="@ServerName"/>
        </xsl:call-template>
        <xsl:call-template name="fact">
          <xsl:with-param name="label" select="'Documented on'"/>
          <xsl:with-param name="value" select="@CreatedOn"/>
        </xsl:call-template>
        <xsl:call-template name="fact">
          <xsl:with-param name="label" select="'Documented by'"/>
          <xsl:with-param name="value" select="@CreatedBy"/>
        </xsl:call-template>
      </dl>
    </section>
  </xsl:template>

  <!-- A label and a value of a dl; nothing when the value is empty. -->
  <xsl:template name="fact">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <xsl:if test="string($value) != ''">
      <dt><xsl:value-of select="$label"/></dt>
      <dd><xsl:value-of select="$value"/></dd>
    </xsl:if>
  </xsl:template>

  <!-- ============================================================== tables -->

  <xsl:template match="TABLE[@Report = 1]">
    <xsl:variable name="anchor" select="str:encode-uri(@Name, true())"/>
    <xsl:variable name="number"><xsl:call-template name="number-of"/></xsl:variable>
    <morvtables Number="{$number}" Name="{@Name}" Anchor="{$anchor}">
      <article class="object table" id="{$anchor}">
        <xsl:call-template name="object-head">
          <xsl:with-param name="kind" select="'Table'"/>
          <xsl:with-param name="number" select="$number"/>
        </xsl:call-template>
        <xsl:if test="string(@CreatedOn) != ''">
          <dl class="meta">
            <xsl:call-template name="fact">
              <xsl:with-param name="label" select="'Created on'"/>
              <xsl:with-param name="value" select="@CreatedOn"/>
            </xsl:call-template>
          </dl>
        </xsl:if>
        <xsl:if test="@PartitionKey or @PartitionOf">
          <dl class="meta">
            <xsl:if test="@PartitionKey">
              <xsl:call-template name="fact">
                <xsl:with-param name="label" select="'Partitioned by'"/>
                <xsl:with-param name="value" select="@PartitionKey"/>
              </xsl:call-template>
            </xsl:if>
            <xsl:if test="@PartitionOf">
              <xsl:call-template name="fact">
                <xsl:with-param name="label" select="'Partition of'"/>
                <xsl:with-param name="value" select="@PartitionOf"/>
              </xsl:call-template>
              <xsl:call-template name="fact">
                <xsl:with-param name="label" select="'Bounds'"/>
                <xsl:with-param name="value" select="@PartitionBound"/>
              </xsl:call-template>
            </xsl:if>
          </dl>
        </xsl:if>
        <xsl:call-template name="columns"/>
        <xsl:call-template name="table-parts"/>
      </article>
    </morvtables>
  </xsl:template>

  <!-- A table left out of the report that still holds reported indexes or
       triggers: drawn without a wrapper, only to carry them. -->
  <xsl:template match="TABLE">
    <article class="object table stub">
      <header class="object-head">
        <span class="kind">Table</span>
        <xsl:text> </xsl:text>
        <h2 class="name"><xsl:value-of select="@Name"/></h2>
      </header>
      <p class="note">This table is not part of the report; the indexes and triggers below are.</p>
      <xsl:call-template name="table-parts"/>
    </article>
  </xsl:template>

  <xsl:template name="columns">
    <h3 class="part-title">Columns</h3>
    <xsl:choose>
      <xsl:when test="COLUMN">
        <xsl:variable name="described" select="COLUMN[string(@Description) != '']"/>
        <div class="scroll">
          <table class="grid columns">
            <thead>
              <tr>
                <th class="num">#</th>
                <th>Column</th>
                <th>Type</th>
                <th class="num">Length</th>
                <th>Null</th>
                <th>Default</th>
                <th>Check</th>
                <th>Key</th>
                <xsl:if test="$described"><th>Description</th></xsl:if>
              </tr>
            </thead>
            <tbody>
              <xsl:for-each select="COLUMN">
                <tr>
                  <xsl:if test="string(@Primary_Key) != ''">
                    <xsl:attribute name="class">key-column</xsl:attribute>
                  </xsl:if>
                  <td class="num"><xsl:value-of select="@Ordinal_Position | @Serial_Number"/></td>
                  <td class="column-name"><xsl:value-of select="@Name"/></td>
                  <td class="type"><xsl:value-of select="@Datatype"/></td>
                  <td class="num">
                    <xsl:if test="string(@Length) != '0'">
                      <xsl:value-of select="@Length"/>
                      <xsl:if test="@Scale"><xsl:value-of select="concat(',', @Scale)"/></xsl:if>
                    </xsl:if>
                  </td>
                  <td>
                    <xsl:choose>
                      <xsl:when test="@Null_Allowed = 'True'">Yes</xsl:when>
                      <xsl:when test="@Null_Allowed = 'False'"><span class="not-null">No</span></xsl:when>
                      <xsl:otherwise><xsl:value-of select="@Null_Allowed"/></xsl:otherwise>
                    </xsl:choose>
                  </td>
                  <td>
                    <xsl:if test="string(@Column_Default) != ''">
                      <code><xsl:value-of select="@Column_Default"/></code>
                    </xsl:if>
                    <xsl:if test="@Identity">
                      <code><xsl:value-of select="concat('GENERATED ', @Identity, ' AS IDENTITY')"/></code>
                    </xsl:if>
                    <xsl:if test="@Generated">
                      <code><xsl:value-of select="concat('GENERATED ALWAYS AS (', @Generated, ') ', @Storage)"/></code>
                    </xsl:if>
                  </td>
                  <td>
                    <xsl:if test="string(@Check_Constraint) != ''">
                      <code><xsl:value-of select="@Check_Constraint"/></code>
                    </xsl:if>
                  </td>
                  <td>
                    <xsl:if test="string(@Primary_Key) != ''">
                      <span class="key">PK</span>
                      <xsl:text> </xsl:text>
                      <span class="key-name"><xsl:value-of select="@Primary_Key"/></span>
                    </xsl:if>
                  </td>
                  <xsl:if test="$described"><td><xsl:value-of select="@Description"/></td></xsl:if>
                </tr>
              </xsl:for-each>
            </tbody>
          </table>
        </div>
      </xsl:when>
      <xsl:otherwise>
        <p class="empty">No columns.</p>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Indexes, foreign keys and triggers of the table in context. -->
  <xsl:template name="table-parts">
    <xsl:if test="INDEX[@Report = 1]">
      <h3 class="part-title">Indexes</h3>
      <div class="parts">
        <xsl:apply-templates select="INDEX[@Report = 1]"/>
      </div>
    </xsl:if>
    <xsl:if test="@Report = 1 and FOREIGNKEY[@Report = 1]">
      <h3 class="part-title">Foreign keys</h3>
      <div class="scroll">
        <table class="grid foreign-keys">
          <thead>
            <tr>
              <th>Foreign key</th>
              <th>Column</th>
              <th>References</th>
              <th>On update</th>
              <th>On delete</th>
            </tr>
          </thead>
          <tbody>
            <xsl:for-each select="FOREIGNKEY[@Report = 1]">
              <tr>
                <td class="fk-name"><xsl:value-of select="@Name"/></td>
                <td>
                  <xsl:call-template name="table-ref">
                    <xsl:with-param name="name" select="string(@ForeignKeyTable)"/>
                  </xsl:call-template>
                  <span class="dot">.</span>
                  <span class="column-name"><xsl:value-of select="@RelatedColumn"/></span>
                </td>
                <td>
                  <xsl:call-template name="table-ref">
                    <xsl:with-param name="name" select="string(@PrimaryKeyTable)"/>
                  </xsl:call-template>
                  <span class="dot">.</span>
                  <span class="column-name"><xsl:value-of select="@PrimaryKeyColumn"/></span>
                </td>
                <td><xsl:value-of select="@UpdateRule"/></td>
                <td>
                  <xsl:value-of select="@DeleteRule"/>
                  <xsl:if test="@Deferrable"><br/><xsl:value-of select="concat('DEFERRABLE ', @Deferrable)"/></xsl:if>
                </td>
              </tr>
            </xsl:for-each>
          </tbody>
        </table>
      </div>
    </xsl:if>
    <xsl:if test="TRIGGER[@Report = 1]">
      <h3 class="part-title">Triggers</h3>
      <div class="parts">
        <xsl:apply-templates select="TRIGGER[@Report = 1]"/>
      </div>
    </xsl:if>
  </xsl:template>

  <xsl:template match="INDEX">
    <xsl:variable name="anchor"
                  select="concat('index:', str:encode-uri(../@Name, true()), '/', str:encode-uri(@Name, true()))"/>
    <xsl:variable name="number"><xsl:call-template name="number-of"/></xsl:variable>
    <morvindexes Number="{$number}" Name="{@Name}" Anchor="{$anchor}">
      <div class="part index" id="{$anchor}">
        <xsl:call-template name="part-head">
          <xsl:with-param name="kind" select="'Index'"/>
          <xsl:with-param name="number" select="$number"/>
        </xsl:call-template>
        <table class="grid props">
          <tr>
            <th scope="row">Columns</th>
            <td class="column-name"><xsl:value-of select="str:replace(string(@Column_Name), ',', ', ')"/></td>
          </tr>
          <xsl:if test="string(@Description) != ''">
            <tr>
              <th scope="row">Properties</th>
              <td><xsl:value-of select="str:replace(string(@Description), ',', ', ')"/></td>
            </tr>
          </xsl:if>
          <xsl:if test="@Method">
            <tr><th scope="row">Method</th><td><xsl:value-of select="@Method"/></td></tr>
          </xsl:if>
          <xsl:if test="@Descending">
            <tr>
              <th scope="row">Descending</th>
              <td class="column-name"><xsl:value-of select="str:replace(string(@Descending), ',', ', ')"/></td>
            </tr>
          </xsl:if>
          <xsl:if test="@Include">
            <tr>
              <th scope="row">Include</th>
              <td class="column-name"><xsl:value-of select="str:replace(string(@Include), ',', ', ')"/></td>
            </tr>
          </xsl:if>
          <xsl:if test="@Where">
            <tr><th scope="row">Where</th><td><code><xsl:value-of select="@Where"/></code></td></tr>
          </xsl:if>
        </table>
      </div>
    </morvindexes>
  </xsl:template>

  <xsl:template match="TRIGGER">
    <xsl:variable name="anchor"
                  select="concat('trigger:', str:encode-uri(../@Name, true()), '/', str:encode-uri(@Name, true()))"/>
    <xsl:variable name="number"><xsl:call-template name="number-of"/></xsl:variable>
    <morvtriggers Number="{$number}" Name="{@Name}" Anchor="{$anchor}">
      <div class="part trigger" id="{$anchor}">
        <xsl:call-template name="part-head">
          <xsl:with-param name="kind" select="'Trigger'"/>
          <xsl:with-param name="number" select="$number"/>
        </xsl:call-template>
        <xsl:call-template name="sql"/>
      </div>
    </morvtriggers>
  </xsl:template>

  <!-- ================================================= views and procedures -->

  <xsl:template match="VIEW">
    <xsl:param name="number"/>
    <xsl:variable name="anchor" select="concat('view:', str:encode-uri(@Name, true()))"/>
    <morvviews Number="{$number}" Name="{@Name}" Anchor="{$anchor}">
      <article class="object view" id="{$anchor}">
        <xsl:call-template name="object-head">
          <xsl:with-param name="kind" select="'View'"/>
          <xsl:with-param name="number" select="$number"/>
        </xsl:call-template>
        <xsl:if test="string(@CreatedOn) != '' or string(@Updatable) != ''">
          <dl class="meta">
            <xsl:call-template name="fact">
              <xsl:with-param name="label" select="'Created on'"/>
              <xsl:with-param name="value" select="@CreatedOn"/>
            </xsl:call-template>
            <xsl:call-template name="fact">
              <xsl:with-param name="label" select="'Updatable'"/>
              <xsl:with-param name="value" select="@Updatable"/>
            </xsl:call-template>
          </dl>
        </xsl:if>
        <h3 class="part-title">Definition</h3>
        <xsl:call-template name="sql"/>
        <xsl:if test="COLUMN">
          <h3 class="part-title">Columns</h3>
          <div class="scroll">
            <table class="grid columns">
              <thead><tr><th>Column</th><th>Source table</th></tr></thead>
              <tbody>
                <xsl:for-each select="COLUMN">
                  <tr>
                    <td class="column-name"><xsl:value-of select="@Name"/></td>
                    <td><xsl:value-of select="@SourceTable"/></td>
                  </tr>
                </xsl:for-each>
              </tbody>
            </table>
          </div>
        </xsl:if>
      </article>
    </morvviews>
  </xsl:template>

  <xsl:template match="STOREDPROCEDURE">
    <xsl:param name="number"/>
    <xsl:variable name="anchor" select="concat('procedure:', str:encode-uri(@Name, true()))"/>
    <morvstored_procedures Number="{$number}" Name="{@Name}" Anchor="{$anchor}">
      <article class="object procedure" id="{$anchor}">
        <xsl:call-template name="object-head">
          <xsl:with-param name="kind" select="'Stored procedure'"/>
          <xsl:with-param name="number" select="$number"/>
        </xsl:call-template>
        <xsl:if test="string(@CreatedOn) != '' or string(@LastModified) != '' or string(@Type) != ''">
          <dl class="meta">
            <xsl:call-template name="fact">
              <xsl:with-param name="label" select="'Created on'"/>
              <xsl:with-param name="value" select="@CreatedOn"/>
            </xsl:call-template>
            <xsl:call-template name="fact">
              <xsl:with-param name="label" select="'Last modified'"/>
              <xsl:with-param name="value" select="@LastModified"/>
            </xsl:call-template>
            <xsl:call-template name="fact">
              <xsl:with-param name="label" select="'Type'"/>
              <xsl:with-param name="value" select="@Type"/>
            </xsl:call-template>
          </dl>
        </xsl:if>
        <h3 class="part-title">Definition</h3>
        <xsl:call-template name="sql"/>
      </article>
    </morvstored_procedures>
  </xsl:template>

  <!-- ============================================================= helpers -->

  <!-- The running number of the object in context (tables, indexes, triggers). -->
  <xsl:template name="number-of">
    <xsl:variable name="id" select="generate-id()"/>
    <xsl:for-each select="exsl:node-set($numbering)">
      <xsl:value-of select="key('number', $id)/@v"/>
    </xsl:for-each>
  </xsl:template>

  <xsl:template name="object-head">
    <xsl:param name="kind"/>
    <xsl:param name="number"/>
    <header class="object-head">
      <span class="kind"><xsl:value-of select="$kind"/></span>
      <xsl:text> </xsl:text>
      <h2 class="name">
        <xsl:call-template name="bookmark">
          <xsl:with-param name="number" select="$number"/>
        </xsl:call-template>
        <xsl:value-of select="@Name"/>
      </h2>
      <xsl:if test="$layout = 'screen'">
        <a class="to-contents" href="index.html#morv:contents">Contents</a>
      </xsl:if>
    </header>
  </xsl:template>

  <!-- Heading of an index or trigger: kind, name and owning table. -->
  <xsl:template name="part-head">
    <xsl:param name="kind"/>
    <xsl:param name="number"/>
    <h4 class="part-head">
      <xsl:call-template name="bookmark">
        <xsl:with-param name="number" select="$number"/>
      </xsl:call-template>
      <span class="kind"><xsl:value-of select="$kind"/></span>
      <xsl:text> </xsl:text>
      <span class="name"><xsl:value-of select="@Name"/></span>
      <xsl:text> </xsl:text>
      <span class="owner">
        <xsl:text>on </xsl:text>
        <xsl:call-template name="table-ref">
          <xsl:with-param name="name" select="string(../@Name)"/>
        </xsl:call-template>
      </span>
    </h4>
  </xsl:template>

  <!-- Word layout: the heading of the object numbered $number carries the bookmark
       that the contents and the table links lead to. A word processor makes bookmarks
       of the ids of headings and links only, and takes letters, digits and "_" in their
       names, up to 40 characters; so the bookmark is "morv_" and the Number. -->
  <xsl:template name="bookmark">
    <xsl:param name="number"/>
    <xsl:if test="$layout = 'word'">
      <xsl:attribute name="id">morv_<xsl:value-of select="$number"/></xsl:attribute>
    </xsl:if>
  </xsl:template>

  <!-- A table's name, linked when the table is in the report. -->
  <xsl:template name="table-ref">
    <xsl:param name="name"/>
    <xsl:choose>
      <xsl:when test="key('table', $name) and $layout = 'word'">
        <a class="table-link">
          <xsl:attribute name="href">
            <xsl:text>#morv_</xsl:text>
            <xsl:for-each select="key('table', $name)[1]"><xsl:call-template name="number-of"/></xsl:for-each>
          </xsl:attribute>
          <xsl:value-of select="$name"/>
        </a>
      </xsl:when>
      <xsl:when test="key('table', $name)">
        <a class="table-link" href="#{str:encode-uri($name, true())}"><xsl:value-of select="$name"/></a>
      </xsl:when>
      <xsl:otherwise>
        <span class="table-name"><xsl:value-of select="$name"/></span>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The SQL text of the object in context, "<BR/>" turned into line breaks. -->
  <xsl:template name="sql">
    <xsl:variable name="text" select="string(SQLSCRIPT)"/>
    <xsl:choose>
      <xsl:when test="normalize-space(str:replace($text, '&lt;BR/&gt;', ' ')) != ''">
        <pre class="sql"><code><xsl:value-of select="str:replace($text, '&lt;BR/&gt;', '&#10;')"/></code></pre>
      </xsl:when>
      <xsl:otherwise>
        <p class="empty">No source text.</p>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>
