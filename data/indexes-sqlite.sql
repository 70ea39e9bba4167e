-- The indexes of the lookups by name on SQLite: a login, a registration's
-- check of the name, a pupil's own scores. Each entry also holds the row's
-- key, so the first row of a name in key order is read from the index.

CREATE INDEX IF NOT EXISTS user_by_name ON "user" (name);

CREATE INDEX IF NOT EXISTS supperuser_by_name ON supperuser (name);

CREATE INDEX IF NOT EXISTS score_by_owner ON score (name, student_no);
