CREATE SCHEMA a;
CREATE SCHEMA b;
CREATE TABLE a.t (id int PRIMARY KEY);
CREATE TABLE b.t (k int PRIMARY KEY, y int CONSTRAINT y_to_a REFERENCES a.t (id) ON DELETE RESTRICT ON UPDATE SET NULL);
CREATE TABLE t (id int PRIMARY KEY, note text);
CREATE VIEW a.v AS SELECT id FROM a.t;
CREATE VIEW b.v AS SELECT k, y FROM b.t;
CREATE TYPE mood AS ENUM ('sad', 'ok');
CREATE TYPE b.colour AS ENUM ('red', 'blue');
CREATE DOMAIN short_text AS varchar(20) CHECK (VALUE <> '');
CREATE TABLE typed (
  id int PRIMARY KEY,
  at timestamptz,
  at_time timetz,
  doc xml,
  feeling mood,
  shade b.colour,
  label short_text,
  tags text[],
  search tsvector,
  qty int CONSTRAINT qty_positive CHECK (qty > 0),
  lo int,
  hi int,
  CONSTRAINT lo_below_hi CHECK (lo < hi)
);
CREATE TABLE c1 (v int CONSTRAINT positive CHECK (v > 0));
CREATE TABLE c2 (w int CONSTRAINT positive CHECK (w > 1));
CREATE TABLE "a+b" ("+c" int PRIMARY KEY, "d+e" int, r int);
CREATE INDEX i ON "a+b" ("d+e");
CREATE INDEX i_expr ON "a+b" ((r + 1));
