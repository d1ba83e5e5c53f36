CREATE TABLE parent (id INTEGER PRIMARY KEY, code VARCHAR(10) UNIQUE);
CREATE TABLE child (
  id INTEGER PRIMARY KEY,
  parent_id INT REFERENCES parent (id) ON DELETE RESTRICT ON UPDATE SET NULL,
  amount DOUBLE PRECISION CHECK (amount >= 0),
  born DATETIME,
  flag BOOLEAN,
  lo INT,
  hi INT,
  CONSTRAINT lo_below_hi CHECK (lo < hi)
);
CREATE TABLE c1 (v INT CONSTRAINT positive CHECK (v > 0));
CREATE TABLE c2 (w INT CONSTRAINT positive CHECK (w > 1));
CREATE TABLE "a+b" ("+c" INT PRIMARY KEY, "d+e" INT, r INT);
CREATE INDEX i ON "a+b" ("d+e");
CREATE INDEX i_expr ON "a+b" (r + 1);
