-- Version 7 on PostgreSQL: the typing course. A lesson is no practice of the
-- score table: each finished lesson is kept in a table of its own, with
-- the keys missed in it, and a teacher's thresholds for a class.

CREATE TABLE lesson_attempt (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    user_key bigint NOT NULL,
    user_name text NOT NULL,
    class_name text NOT NULL,
    student_no text NOT NULL,
    kind integer NOT NULL,
    course text NOT NULL,
    lesson integer NOT NULL,
    started_at timestamp(3) NOT NULL,
    ended_at timestamp(3) NOT NULL,
    elapsed_ms bigint NOT NULL,
    keystrokes integer NOT NULL,
    correct_keys integer NOT NULL,
    errors integer NOT NULL,
    backspaces integer NOT NULL,
    stars integer NOT NULL,
    passed integer NOT NULL
);

-- A pupil's lessons of one course, and a pupil's list newest first.
CREATE INDEX lesson_attempt_by_user ON lesson_attempt (user_key, course, lesson, started_at);
CREATE INDEX lesson_attempt_by_time ON lesson_attempt (user_key, started_at, id);

-- How often a key was missed in a lesson and what was typed instead;
-- user_key repeats the attempt's, so that a pupil's misses are counted from
-- the index alone.
CREATE TABLE lesson_miss (
    attempt_id bigint NOT NULL REFERENCES lesson_attempt (id) ON DELETE CASCADE,
    user_key bigint NOT NULL,
    expected text NOT NULL,
    typed text NOT NULL,
    times integer NOT NULL,
    PRIMARY KEY (attempt_id, expected, typed)
);

CREATE INDEX lesson_miss_by_user ON lesson_miss (user_key, expected, typed);

-- A class's own thresholds: accuracy 0 keeps each lesson's own, the speed
-- asked is speed_percent of each lesson's; all_open opens every lesson.
CREATE TABLE course_class (
    class_name text NOT NULL PRIMARY KEY,
    accuracy integer NOT NULL,
    speed_percent integer NOT NULL,
    all_open integer NOT NULL
);

-- The rights on the course's tables (see version 6): a pupil keeps and
-- reads their own lessons and reads their class's thresholds; a teacher
-- reads every pupil's lessons and sets a class's thresholds.
SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

ALTER TABLE lesson_attempt ENABLE ROW LEVEL SECURITY;
ALTER TABLE lesson_miss ENABLE ROW LEVEL SECURITY;
ALTER TABLE course_class ENABLE ROW LEVEL SECURITY;

CREATE FUNCTION qe_my_class() RETURNS text
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$ SELECT coalesce(class, '') FROM "user" WHERE qe_key = qe_my_user_key() $$;
REVOKE ALL ON FUNCTION qe_my_class() FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_my_class() TO ' || base;
    EXECUTE 'GRANT SELECT, INSERT ON lesson_attempt, lesson_miss TO ' || pupil;
    EXECUTE 'GRANT SELECT ON lesson_attempt, lesson_miss TO ' || teacher;
    EXECUTE 'GRANT SELECT ON course_class TO ' || pupil;
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON course_class TO ' || teacher;
    EXECUTE 'CREATE POLICY pupil_keeps_own ON lesson_attempt FOR ALL TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))'
            || ' WITH CHECK (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_reads ON lesson_attempt FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_keeps_own ON lesson_miss FOR ALL TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))'
            || ' WITH CHECK (user_key = (SELECT qe_my_user_key()) AND EXISTS ('
            || 'SELECT 1 FROM lesson_attempt a WHERE a.id = attempt_id'
            || ' AND a.user_key = (SELECT qe_my_user_key())))';
    EXECUTE 'CREATE POLICY teacher_reads ON lesson_miss FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON course_class FOR SELECT TO ' || pupil
            || ' USING (class_name = (SELECT qe_my_class()))';
    EXECUTE 'CREATE POLICY teacher_sets ON course_class FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
END
$$;
