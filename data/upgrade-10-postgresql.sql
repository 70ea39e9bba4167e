-- Version 10 on PostgreSQL: assignments (作业). A teacher sets work for
-- some classes: a range of course lessons, a screen of a library text, or
-- a drill of one's own mistakes, with a target, the number of attempts
-- that must meet it and the days it runs. What a pupil has done is read
-- from the attempts themselves; nothing is written when a pupil types.

CREATE TABLE assignment (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    title text NOT NULL,
    task integer NOT NULL,
    course text NOT NULL,
    lesson_from integer NOT NULL,
    lesson_to integer NOT NULL,
    text_id bigint REFERENCES practice_text (id),
    screen integer NOT NULL,
    kind integer NOT NULL,
    min_speed double precision NOT NULL,
    min_accuracy integer NOT NULL,
    passes integer NOT NULL,
    starts_on date NOT NULL,
    due_on date NOT NULL,
    created_at timestamp(3) NOT NULL
);

CREATE INDEX assignment_by_text ON assignment (text_id);

CREATE TABLE assignment_class (
    assignment_id bigint NOT NULL REFERENCES assignment (id) ON DELETE CASCADE,
    class_name text NOT NULL,
    PRIMARY KEY (assignment_id, class_name)
);

CREATE INDEX assignment_class_by_class ON assignment_class (class_name, assignment_id);

-- A text's screen's attempts, for an assignment on it.
CREATE INDEX attempt_text_by_screen ON attempt_text (text_id, screen, attempt_id);

-- Every pupil reads the assignments (their own class's are shown); only a
-- teacher sets them.
ALTER TABLE assignment ENABLE ROW LEVEL SECURITY;
ALTER TABLE assignment_class ENABLE ROW LEVEL SECURITY;

DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT SELECT ON assignment, assignment_class TO ' || pupil;
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON assignment, assignment_class TO ' || teacher;
    EXECUTE 'CREATE POLICY pupil_reads ON assignment FOR SELECT TO ' || pupil || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads ON assignment_class FOR SELECT TO ' || pupil
            || ' USING (true)';
    EXECUTE 'CREATE POLICY teacher_keeps ON assignment FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY teacher_keeps ON assignment_class FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
END
$$;
