-- Column kinds the ODBC driver reports wrongly, checks, a generated column, FULLTEXT
-- and SPATIAL indexes, foreign keys with rules, a view and awkward names.
CREATE TABLE parent (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  code CHAR(4) NOT NULL,
  name VARCHAR(40) NOT NULL DEFAULT 'none',
  UNIQUE KEY uq_code (code)
);
CREATE TABLE kinds (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT,
  body LONGTEXT,
  data LONGBLOB,
  doc JSON,
  at DATETIME(6) NOT NULL DEFAULT CURRENT_TIMESTAMP(6),
  stamp TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  span TIME(2),
  plain DATETIME,
  born DATE,
  mid MEDIUMINT,
  flags BIT(64),
  flag BIT(1),
  price DECIMAL(8,2) NOT NULL DEFAULT 0.00,
  qty SMALLINT NOT NULL DEFAULT 1 CHECK (qty > 0),
  total DECIMAL(10,2) AS (price * qty) STORED,
  mood ENUM('calm','wild') DEFAULT 'calm',
  tags SET('a','b'),
  yr YEAR,
  place POINT NOT NULL,
  parent_id INT,
  parent_code CHAR(4),
  PRIMARY KEY (id),
  FULLTEXT KEY ft_body (body),
  SPATIAL KEY sp_place (place),
  KEY ix_two (mid, yr DESC),
  CONSTRAINT fk_parent FOREIGN KEY (parent_id) REFERENCES parent (id) ON DELETE SET NULL ON UPDATE CASCADE,
  CONSTRAINT fk_code FOREIGN KEY (parent_code) REFERENCES parent (code) ON DELETE RESTRICT,
  CONSTRAINT price_positive CHECK (price >= 0)
);
CREATE TABLE `Mixed` (`Key` INT NOT NULL PRIMARY KEY);
CREATE TABLE mixed (`key` INT NOT NULL PRIMARY KEY, `odd name#1` VARCHAR(10) CHECK (`odd name#1` <> ''));
CREATE TABLE `tick``s` (`ünï` VARCHAR(5) NOT NULL, `b` INT NOT NULL, `we``ird` VARCHAR(5), PRIMARY KEY (`ünï`, `b`),
  CONSTRAINT `odd` CHECK (`we``ird` <> 'no`b' AND `we``ird` <> "`b`"));
CREATE VIEW kind_names AS SELECT k.id, p.name FROM kinds k JOIN parent p ON p.id = k.parent_id;
-- A column check of the same name as one of kinds (MariaDB names a column's check
-- after its column) and a table check over two columns, which lands on neither.
CREATE TABLE ranges (qty INT CHECK (qty < 100), lo INT, hi INT, CONSTRAINT lo_below_hi CHECK (lo <= hi));
