-- The indexes of the lookups by name on PostgreSQL: a login, a
-- registration's check of the name, a pupil's own scores. The key closes
-- each index, so the first row of a name in key order is read from it.

CREATE INDEX IF NOT EXISTS user_by_name ON "user" (name, qe_key);

CREATE INDEX IF NOT EXISTS supperuser_by_name ON supperuser (name, qe_key);

CREATE INDEX IF NOT EXISTS score_by_owner ON score (name, student_no, qe_key);
