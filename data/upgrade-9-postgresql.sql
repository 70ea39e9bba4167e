-- Version 9 on PostgreSQL: the live view of the lab (课堂监控). Each pupil's
-- program keeps one row of what it is doing, replaced at every report
-- through qe_report_progress, so that the table holds one row per pupil
-- however long the lesson; and an exam the teacher ended for everybody.

CREATE TABLE live_progress (
    user_key bigint PRIMARY KEY,
    user_name text NOT NULL,
    class_name text NOT NULL,
    activity integer NOT NULL,
    kind integer NOT NULL,
    exam_id bigint,
    label text NOT NULL,
    screen_units integer NOT NULL,
    typed_units integer NOT NULL,
    correct_units integer NOT NULL,
    elapsed_ms bigint NOT NULL,
    idle_ms bigint NOT NULL,
    focus_lost integer NOT NULL,
    end_reason integer NOT NULL,
    reported_at timestamp(3) NOT NULL
);

CREATE INDEX live_progress_by_class ON live_progress (class_name);

CREATE TABLE exam_stop (
    exam_id bigint PRIMARY KEY,
    stopped_at timestamp(3) NOT NULL
);

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

-- A pupil's program reports what it is doing: the row is the pupil's own,
-- named and timed by the server, and every listener is woken with an empty
-- payload (every role may listen; the figures are read from the table by
-- those allowed). Rows of programs silent for a day go. Returns 1 when the
-- exam p_exam_id was ended for everybody.
CREATE FUNCTION qe_report_progress(p_activity integer, p_kind integer, p_exam_id bigint,
                                   p_label text, p_screen integer, p_typed integer,
                                   p_correct integer, p_elapsed bigint, p_idle bigint,
                                   p_focus_lost integer, p_end integer)
RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_user "user"%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil reports progress' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    INSERT INTO live_progress AS l (user_key, user_name, class_name, activity, kind, exam_id,
                                    label, screen_units, typed_units, correct_units, elapsed_ms,
                                    idle_ms, focus_lost, end_reason, reported_at)
    VALUES (v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''), p_activity, p_kind,
            p_exam_id, left(coalesce(p_label, ''), 100), greatest(p_screen, 0),
            greatest(p_typed, 0), greatest(p_correct, 0), greatest(p_elapsed, 0),
            greatest(p_idle, 0), p_focus_lost, p_end, LOCALTIMESTAMP(3))
    ON CONFLICT (user_key) DO UPDATE SET user_name = EXCLUDED.user_name,
        class_name = EXCLUDED.class_name, activity = EXCLUDED.activity, kind = EXCLUDED.kind,
        exam_id = EXCLUDED.exam_id, label = EXCLUDED.label,
        screen_units = EXCLUDED.screen_units, typed_units = EXCLUDED.typed_units,
        correct_units = EXCLUDED.correct_units, elapsed_ms = EXCLUDED.elapsed_ms,
        idle_ms = EXCLUDED.idle_ms, focus_lost = EXCLUDED.focus_lost,
        end_reason = EXCLUDED.end_reason, reported_at = EXCLUDED.reported_at;
    IF p_activity = 0 THEN
        DELETE FROM live_progress WHERE reported_at < LOCALTIMESTAMP(3) - interval '1 day';
    END IF;
    PERFORM pg_notify('qe_live', '');
    RETURN CASE WHEN p_exam_id IS NOT NULL
                     AND EXISTS (SELECT 1 FROM exam_stop WHERE exam_id = p_exam_id)
                THEN 1 ELSE 0 END;
END
$$;
REVOKE ALL ON FUNCTION qe_report_progress(integer, integer, bigint, text, integer, integer,
                                          integer, bigint, bigint, integer, integer) FROM PUBLIC;

-- A pupil's program that logs out or closes takes its row away.
CREATE FUNCTION qe_leave_progress() RETURNS void
LANGUAGE sql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
    DELETE FROM live_progress WHERE user_key = qe_my_user_key();
    SELECT pg_notify('qe_live', '');
$$;
REVOKE ALL ON FUNCTION qe_leave_progress() FROM PUBLIC;

-- A teacher reads the rows and ends an exam for everybody; a pupil reads
-- neither the others' progress nor writes a row but through the functions.
ALTER TABLE live_progress ENABLE ROW LEVEL SECURITY;
ALTER TABLE exam_stop ENABLE ROW LEVEL SECURITY;

DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_report_progress(integer, integer, bigint, text, '
            || 'integer, integer, integer, bigint, bigint, integer, integer), '
            || 'qe_leave_progress() TO ' || pupil;
    EXECUTE 'GRANT SELECT ON live_progress TO ' || teacher;
    EXECUTE 'GRANT SELECT, INSERT, DELETE ON exam_stop TO ' || teacher;
    EXECUTE 'CREATE POLICY teacher_reads ON live_progress FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY teacher_stops ON exam_stop FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
END
$$;
