-- Version 4 on PostgreSQL: the indexes of the lookups by name (a login, a
-- registration's check of the name, a pupil's own scores). The key closes
-- each index, so the first row of a name in key order is read from it.
-- Results never depend on them, only the time a lookup takes.

CREATE INDEX user_by_name ON "user" (name, qe_key);

CREATE INDEX supperuser_by_name ON supperuser (name, qe_key);

CREATE INDEX score_by_owner ON score (name, student_no, qe_key);
