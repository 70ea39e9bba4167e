-- Version 4 on SQLite: the indexes of the lookups by name (a login, a
-- registration's check of the name, a pupil's own scores). Each entry also
-- holds the row's key, so the first row of a name in key order is read from
-- the index. Results never depend on them, only the time a lookup takes.

CREATE INDEX user_by_name ON "user" (name);

CREATE INDEX supperuser_by_name ON supperuser (name);

CREATE INDEX score_by_owner ON score (name, student_no);
