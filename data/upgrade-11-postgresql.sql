-- Version 11 on PostgreSQL: the server writes; the client asks.
--
-- No pupil and not the lab role holds INSERT, UPDATE or DELETE on a table
-- any more (so neither can LOCK one against the others): every write of a
-- pupil's program goes through a SECURITY DEFINER function below that
-- checks its arguments, writes only the caller's rows and computes what it
-- can itself (the figures from the cells, the times from its own clock).
-- A score, attempt, lesson or sitting belongs to the account's key, written
-- by the server; a pupil's name, class and number are the teacher's. An
-- exam is scored from the cells the server saw arrive while it ran. No
-- function waits on a lock that a pupil or the lab role can also take, and
-- every role of the lab runs with timeouts and connection limits.
--
-- Our SQLSTATEs: QE001 a text against the account rules, QE002 a name
-- taken, QE003 no such account, QE004 registration closed or a class no
-- teacher made, QE005 busy (try again), QE006 an argument beyond its size,
-- QE101-QE104 an exam's start refused, QE105 cells that contradict what
-- the server saw (kept for the teacher), QE201 an attempt out of bounds.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

-- The lab's settings. A teacher opens registration; the limits are the
-- administrator's, applied by qe --create-database and --upgrade-database.
ALTER TABLE lab_config ADD COLUMN registration_open integer NOT NULL DEFAULT 0;
ALTER TABLE lab_config ADD COLUMN lab_connections integer NOT NULL DEFAULT 50;
ALTER TABLE lab_config ADD COLUMN pupil_connections integer NOT NULL DEFAULT 4;
ALTER TABLE lab_config ADD COLUMN pupil_lock_timeout text NOT NULL DEFAULT '5s';
ALTER TABLE lab_config ADD COLUMN pupil_statement_timeout text NOT NULL DEFAULT '30s';
ALTER TABLE lab_config ADD COLUMN pupil_idle_timeout text NOT NULL DEFAULT '60s';
ALTER TABLE lab_config ADD COLUMN teacher_lock_timeout text NOT NULL DEFAULT '10s';
ALTER TABLE lab_config ADD COLUMN teacher_statement_timeout text NOT NULL DEFAULT '10min';
ALTER TABLE lab_config ADD COLUMN teacher_idle_timeout text NOT NULL DEFAULT '10min';
-- Half the server's connections for the lab machines before their logins;
-- the rest stay for the accounts, the teachers' among them.
UPDATE lab_config SET lab_connections = greatest(5,
    (current_setting('max_connections')::integer
     - current_setting('superuser_reserved_connections')::integer) / 2);

-- A secret of the server's: the keys of its advisory locks are hashed with
-- it, so that no pupil can take one of them with pg_advisory_lock.
CREATE TABLE lab_secret (
    seed bigint NOT NULL
);
INSERT INTO lab_secret (seed)
SELECT ('x' || substr(md5(gen_random_uuid()::text), 1, 16))::bit(64)::bigint;

-- Whose a score row is: the account that stored it, by key.
CREATE TABLE score_owner (
    score_key bigint PRIMARY KEY REFERENCES score (qe_key) ON DELETE CASCADE,
    user_key bigint NOT NULL
);
CREATE INDEX score_owner_by_user ON score_owner (user_key, score_key);
-- The rows of before: the pupil of their attempt, else the one account with
-- the row's name and number; a row nobody can be told the owner of stays
-- the teachers' to clear.
INSERT INTO score_owner (score_key, user_key)
SELECT a.score_key, a.user_key FROM attempt a;
INSERT INTO score_owner (score_key, user_key)
SELECT s.qe_key, min(u.qe_key) FROM score s
JOIN "user" u ON coalesce(u.name, '') = coalesce(s.name, '')
             AND coalesce(u.student_no, '') = coalesce(s.student_no, '')
WHERE NOT EXISTS (SELECT 1 FROM score_owner o WHERE o.score_key = s.qe_key)
GROUP BY s.qe_key HAVING count(*) = 1;

-- One row per pupil: serialises the pupil's own stores and starts (a row
-- no other account can lock) and keeps the end of the last practice or
-- lesson stored, on the server's clock.
CREATE TABLE pupil_clock (
    user_key bigint PRIMARY KEY,
    last_end timestamp(3)
);

-- The course's lessons as the program knows them (filled by the program
-- with the owner's rights): what a lesson asks, for the server's stars.
CREATE TABLE course_lesson (
    course text NOT NULL,
    lesson integer NOT NULL,
    keys integer NOT NULL,
    accuracy integer NOT NULL,
    speed integer NOT NULL,
    PRIMARY KEY (course, lesson)
);
CREATE TABLE course_stars (
    course text PRIMARY KEY,
    two_accuracy integer NOT NULL,
    two_speed_factor double precision NOT NULL,
    three_accuracy integer NOT NULL,
    three_speed_factor double precision NOT NULL
);

-- An exam's kind, so that a pupil's list needs no text the pupil may not read.
ALTER TABLE exam ADD COLUMN kind integer;
UPDATE exam e SET kind = t.kind FROM practice_text t WHERE t.id = e.text_id;

-- What the server saw of a sitting while it ran: the typed cells row by
-- row as the program reported them, the typing position, when the last
-- report came and when the whole screen had been typed, and why the
-- sitting looks wrong (可疑) when it does.
ALTER TABLE exam_sitting ADD COLUMN screen_units integer;
ALTER TABLE exam_sitting ADD COLUMN seen_pos integer NOT NULL DEFAULT 0;
ALTER TABLE exam_sitting ADD COLUMN seen_at timestamp(3);
ALTER TABLE exam_sitting ADD COLUMN whole_at timestamp(3);
ALTER TABLE exam_sitting ADD COLUMN reports integer NOT NULL DEFAULT 0;
ALTER TABLE exam_sitting ADD COLUMN flag_reason text;
ALTER TABLE exam_sitting ADD COLUMN key_presses integer;
UPDATE exam_sitting s SET kind = coalesce(s.kind, e.kind),
    screen_units = cardinality(string_to_array(e.screen_cells, ','))
FROM exam e WHERE e.id = s.exam_id AND s.finished = 0;
CREATE TABLE sitting_row (
    sitting_id bigint NOT NULL REFERENCES exam_sitting (id) ON DELETE CASCADE,
    row_no integer NOT NULL,
    cells text[] NOT NULL,
    texts text[] NOT NULL,
    PRIMARY KEY (sitting_id, row_no)
);

-- Whether the server scored an attempt (or, for the rows of before, found
-- it within the bounds it sets): only these count for assignments and
-- open the course's lessons.
ALTER TABLE attempt ADD COLUMN checked integer NOT NULL DEFAULT 0;
ALTER TABLE lesson_attempt ADD COLUMN checked integer NOT NULL DEFAULT 0;
UPDATE attempt SET checked = 1
WHERE id IN (SELECT attempt_id FROM exam_sitting WHERE attempt_id IS NOT NULL)
   OR (kind IN (111, 112, 113, 114) AND typed_units >= 0 AND elapsed_ms >= 0
       AND typed_units <= 20 + (CASE kind WHEN 111 THEN 250 ELSE 750 END) * elapsed_ms / 60000.0);
UPDATE lesson_attempt SET checked = 1
WHERE correct_keys > 0 AND keystrokes >= correct_keys AND elapsed_ms > 0
  AND correct_keys <= 20 + 750 * elapsed_ms / 60000.0
  AND (key_presses IS NULL OR key_presses >= correct_keys);

-- Only the lab's roles reach the database and its schema.
DO $$
BEGIN
    EXECUTE format('REVOKE CONNECT, TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('REVOKE ALL ON SCHEMA %I FROM PUBLIC', current_schema());
END
$$;

-- Nothing is written by a pupil but through the functions.
DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'REVOKE UPDATE (name, class, student_no) ON "user" FROM ' || pupil;
    EXECUTE 'REVOKE INSERT, DELETE ON score FROM ' || pupil;
    EXECUTE 'REVOKE INSERT ON attempt, attempt_mistake, attempt_text FROM ' || pupil;
    EXECUTE 'REVOKE INSERT ON lesson_attempt, lesson_miss FROM ' || pupil;
    -- An exam's screen reaches a pupil only through the start of a sitting.
    EXECUTE 'REVOKE SELECT ON exam FROM ' || pupil;
    EXECUTE 'GRANT SELECT (id, title, text_id, screen, minutes, backspace_allowed, '
            'retake_allowed, is_open, created_at, kind) ON exam TO ' || pupil;
    EXECUTE 'GRANT SELECT ON score_owner TO ' || pupil || ', ' || teacher;
END
$$;
DROP POLICY pupil_edits_own ON "user";
DROP POLICY pupil_stores_own ON score;
DROP POLICY pupil_clears_own ON score;
DROP POLICY pupil_stores_own ON attempt;
DROP POLICY pupil_stores_own ON attempt_mistake;
DROP POLICY pupil_stores_own ON attempt_text;
DROP POLICY pupil_keeps_own ON lesson_attempt;
DROP POLICY pupil_keeps_own ON lesson_miss;
DROP FUNCTION qe_owns_score(text, text);

ALTER TABLE score_owner ENABLE ROW LEVEL SECURITY;

-- Row-level security stays where it limits rows: a policy that lets every
-- row through adds nothing to the rights the grants give. Where those were
-- all a table had, the table keeps its grants alone.
DROP POLICY everybody_reads ON "user";
DROP POLICY teacher_edits ON "user";
DROP POLICY teacher_deletes ON "user";
ALTER TABLE "user" DISABLE ROW LEVEL SECURITY;
DROP POLICY everybody_reads ON supperuser;
ALTER TABLE supperuser DISABLE ROW LEVEL SECURITY;
DROP POLICY everybody_reads ON score;
DROP POLICY teacher_edits ON score;
DROP POLICY teacher_clears ON score;
ALTER TABLE score DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_reads ON loginhistory;
DROP POLICY teacher_clears ON loginhistory;
ALTER TABLE loginhistory DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_reads ON exam_refusal;
ALTER TABLE exam_refusal DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_reads ON live_progress;
ALTER TABLE live_progress DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_stops ON exam_stop;
ALTER TABLE exam_stop DISABLE ROW LEVEL SECURITY;
-- A pupil reads the exams and the assignments of their own class.
DROP POLICY pupil_reads ON exam;
DROP POLICY pupil_reads ON exam_class;
DROP POLICY pupil_reads ON assignment;
DROP POLICY pupil_reads ON assignment_class;

-- Whether an open exam is set on a text: its text is nobody's to read but
-- the teachers' until the exam is closed.
CREATE FUNCTION qe_text_in_open_exam(p_text bigint) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path FROM CURRENT
AS $$ SELECT EXISTS (SELECT 1 FROM exam WHERE text_id = p_text AND is_open = 1) $$;
REVOKE ALL ON FUNCTION qe_text_in_open_exam(bigint) FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_text_in_open_exam(bigint) TO ' || base;
    EXECUTE 'DROP POLICY everybody_reads ON practice_text';
    EXECUTE 'CREATE POLICY everybody_reads ON practice_text FOR SELECT TO ' || base
            || ' USING (NOT qe_text_in_open_exam(id))';
    EXECUTE 'CREATE POLICY pupil_reads_own ON lesson_attempt FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY pupil_reads_own ON lesson_miss FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY pupil_reads_own ON score_owner FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_reads ON score_owner FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON exam_class FOR SELECT TO ' || pupil
            || ' USING (class_name = (SELECT qe_my_class()))';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON exam FOR SELECT TO ' || pupil
            || ' USING (EXISTS (SELECT 1 FROM exam_class c WHERE c.exam_id = id))';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON assignment_class FOR SELECT TO ' || pupil
            || ' USING (class_name = (SELECT qe_my_class()))';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON assignment FOR SELECT TO ' || pupil
            || ' USING (EXISTS (SELECT 1 FROM assignment_class c WHERE c.assignment_id = id))';
END
$$;
