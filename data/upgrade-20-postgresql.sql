-- Version 20 on PostgreSQL: a competition (比赛) is an exam its pupils start
-- together.
--
-- Its row beside the exam holds how it is scored (0: correct characters a
-- minute; 1: net, each wrong character costing five, 错一罚五), the shares
-- of the ranked pupils that win 一等奖, 二等奖 and 三等奖 (in percent), and
-- when it starts: NULL until a teacher starts it, then ten seconds after
-- that on the server's clock, when every waiting program starts. Its
-- screen reaches no pupil before then, and every sitting starts at that
-- moment, so that a pupil who comes late has the time that is left. It is
-- ended early for everybody as an exam is (exam_stop). The pupils of its
-- classes read it; only a teacher sets or starts it.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

CREATE TABLE competition (
    exam_id bigint PRIMARY KEY REFERENCES exam (id) ON DELETE CASCADE,
    scoring integer NOT NULL CHECK (scoring IN (0, 1)),
    first_share integer NOT NULL CHECK (first_share BETWEEN 0 AND 100),
    second_share integer NOT NULL CHECK (second_share BETWEEN 0 AND 100),
    third_share integer NOT NULL CHECK (third_share BETWEEN 0 AND 100),
    starts_at timestamp(3),
    CHECK (first_share + second_share + third_share <= 100)
);

ALTER TABLE competition ENABLE ROW LEVEL SECURITY;

-- The school's name, for its 奖状: one row, a teacher's to set.
CREATE TABLE school (
    id integer PRIMARY KEY CHECK (id = 1),
    name text NOT NULL CHECK (char_length(name) <= 40)
);

DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT SELECT ON competition TO ' || pupil;
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON competition, school TO ' || teacher;
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON competition FOR SELECT TO ' || pupil
            || ' USING (EXISTS (SELECT 1 FROM exam_class c WHERE c.exam_id = competition.exam_id))';
    EXECUTE 'CREATE POLICY teacher_keeps ON competition FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
END
$$;

-- A competition's sitting: refused before its start and after its time
-- (QE106), and started at the competition's start whenever the pupil
-- comes.
DO $$
BEGIN
    PERFORM qe_rewrite_function(
        'qe_start_sitting(bigint, text)',
        ARRAY[
        ['    v_now timestamp(3) := LOCALTIMESTAMP(3);',
         '    v_now timestamp(3) := LOCALTIMESTAMP(3);' || chr(10) ||
         '    v_start timestamp(3) := LOCALTIMESTAMP(3);' || chr(10) ||
         '    v_competition competition%ROWTYPE;'],
        ['    -- Serialises the starts of one pupil''s copies of the program.',
         '    SELECT * INTO v_competition FROM competition c WHERE c.exam_id = p_exam;' || chr(10) ||
         '    IF FOUND THEN' || chr(10) ||
         '        IF v_competition.starts_at IS NULL OR v_competition.starts_at > v_now THEN' || chr(10) ||
         '            RAISE EXCEPTION ''比赛还没有开始。'' USING ERRCODE = ''QE106'';' || chr(10) ||
         '        END IF;' || chr(10) ||
         '        IF v_competition.starts_at + make_interval(mins => v_exam.minutes) <= v_now THEN' || chr(10) ||
         '            RAISE EXCEPTION ''比赛已经结束。'' USING ERRCODE = ''QE106'';' || chr(10) ||
         '        END IF;' || chr(10) ||
         '        v_start := v_competition.starts_at;' || chr(10) ||
         '    END IF;' || chr(10) ||
         '    -- Serialises the starts of one pupil''s copies of the program.'],
        ['    VALUES (p_uid, p_exam, v_me, v_now, 0, 0, v_kind,',
         '    VALUES (p_uid, p_exam, v_me, v_start, 0, 0, v_kind,'],
        ['    RETURN QUERY SELECT v_now, v_exam.title, v_kind,',
         '    RETURN QUERY SELECT v_start, v_exam.title, v_kind,']]);
END
$$;
