CREATE TABLE events (
  id INTEGER PRIMARY KEY,
  pid INT,
  contains_url INT,
  outlier INT,
  doubled INT GENERATED ALWAYS AS (pid * 2) STORED,
  half INT AS (pid / 2)
);
CREATE UNIQUE INDEX events_clean ON events (pid) WHERE contains_url = 1 AND outlier = 0;
CREATE INDEX events_order ON events (pid DESC, id);
CREATE TABLE notes (
  id INTEGER PRIMARY KEY,
  event_id INT CONSTRAINT notes_event REFERENCES events (id) DEFERRABLE INITIALLY DEFERRED,
  other_id INT CONSTRAINT notes_other REFERENCES events (id) DEFERRABLE INITIALLY IMMEDIATE,
  plain_id INT CONSTRAINT notes_plain REFERENCES events (id)
);
CREATE TABLE "x.y" (id INTEGER PRIMARY KEY);
