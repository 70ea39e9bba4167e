-- Version 6 on PostgreSQL, continued from upgrade-6.2-postgresql.sql (read
-- after it, in the same transaction): an exam's sitting, its start and its
-- scored result, and who may call the functions.

-- An exam's start, on the server's clock: the exam must be open and set for
-- the pupil's class; a pupil has one running sitting at a time, and a
-- sitting left running past its time (a program that was killed) counts as
-- sat. Returns the start.
CREATE FUNCTION qe_start_sitting(p_exam bigint, p_uid text) RETURNS timestamp(3)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_class text;
    v_exam exam%ROWTYPE;
    v_now timestamp(3) := LOCALTIMESTAMP(3);
BEGIN
    SELECT class INTO v_class FROM "user" WHERE qe_key = v_me;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'permission denied: only a pupil sits an exam' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = p_exam FOR SHARE;
    IF NOT FOUND OR v_exam.is_open = 0 THEN
        RAISE EXCEPTION '考试已经关闭。' USING ERRCODE = 'QE101';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM exam_class WHERE exam_id = p_exam
                   AND class_name = coalesce(v_class, '')) THEN
        RAISE EXCEPTION '这场考试不是给你的班级的。' USING ERRCODE = 'QE102';
    END IF;
    -- Serialises the starts of one pupil's copies of the program.
    PERFORM pg_advisory_xact_lock(hashtext('qe sitting ' || v_me));
    UPDATE exam_sitting SET finished = 2
    WHERE exam_id = p_exam AND user_key = v_me AND finished = 0
      AND started_at + make_interval(mins => v_exam.minutes, secs => 30) < v_now;
    IF EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me
               AND finished = 0) THEN
        RAISE EXCEPTION '你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。'
            USING ERRCODE = 'QE104';
    END IF;
    IF v_exam.retake_allowed = 0
       AND EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me) THEN
        RAISE EXCEPTION '你已经参加过这场考试,这场考试不允许重考。' USING ERRCODE = 'QE103';
    END IF;
    INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, focus_losses)
    VALUES (p_uid, p_exam, v_me, v_now, 0, 0);
    RETURN v_now;
END
$$;

CREATE FUNCTION qe_refuse_sitting(p_uid text, p_exam bigint, p_user bigint, p_reason text)
RETURNS void
LANGUAGE sql SET search_path FROM CURRENT
AS $$ INSERT INTO exam_refusal (uid, exam_id, user_key, reason) VALUES (p_uid, p_exam, p_user, p_reason) $$;
REVOKE ALL ON FUNCTION qe_refuse_sitting(text, bigint, bigint, text) FROM PUBLIC;

-- A GBK cell (hex) as text, '?' where it is no GBK.
CREATE FUNCTION qe_cell_text(p_hex text) RETURNS text
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    RETURN convert_from(decode(p_hex, 'hex'), 'GBK');
EXCEPTION WHEN OTHERS THEN
    RETURN '?';
END
$$;
REVOKE ALL ON FUNCTION qe_cell_text(text) FROM PUBLIC;

-- An exam's result, scored here from what was typed against the exam's
-- screen and timed on the server's clock. p_typed holds the typed cells in
-- reading order up to the typing position (GBK bytes in hex; '' for a cell
-- that was passed over), p_typed_texts the same cells as text. The score row
-- is the described one (speed in whole units per second); the attempt's time
-- is what its speed is measured over: the time allowed, unless the whole
-- screen was typed before it. A result that comes after the time allowed
-- (kept on the pupil's machine while the server was away) is marked late
-- (补交). Outcomes: 'stored', 'stored-before', or 'refused' with the reason,
-- which is kept for the teacher.
CREATE FUNCTION qe_finish_sitting(p_uid text, p_typed text[], p_typed_texts text[],
                                  p_backspaces integer, p_end_reason integer,
                                  p_focus_losses integer, p_key_median_ms integer,
                                  p_key_spread_ms integer)
RETURNS TABLE (outcome text, reason text, typed_units integer, correct_units integer,
               used_ms bigint, speed_ms bigint, late integer, flagged integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    v_sitting exam_sitting%ROWTYPE;
    v_exam exam%ROWTYPE;
    v_kind integer;
    v_user "user"%ROWTYPE;
    v_expected text[];
    v_texts jsonb;
    v_cells integer;
    v_typed integer := 0;
    v_correct integer := 0;
    v_limit_ms bigint;
    v_server_ms bigint;
    v_used_ms bigint;
    v_speed_ms bigint;
    v_late integer;
    v_flagged integer := 0;
    v_seconds integer;
    v_accuracy integer;
    v_score bigint;
    v_attempt bigint;
    v_label text;
    v_per_minute double precision;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores an exam result' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_sitting FROM exam_sitting WHERE uid = p_uid FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM qe_refuse_sitting(p_uid, NULL, v_me, '数据库中没有这次考试的开始记录');
        RETURN QUERY SELECT 'refused', '数据库中没有这次考试的开始记录', 0, 0, 0::bigint,
                            0::bigint, 0, 0;
        RETURN;
    END IF;
    IF v_sitting.user_key <> v_me THEN
        RAISE EXCEPTION 'permission denied: the sitting is another pupil''s' USING ERRCODE = '42501';
    END IF;
    IF v_sitting.finished = 1 THEN
        RETURN QUERY SELECT 'stored-before', ''::text, v_sitting.typed_units,
                            v_sitting.correct_units, v_sitting.elapsed_ms, v_sitting.speed_ms,
                            v_sitting.late, v_sitting.flagged;
        RETURN;
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = v_sitting.exam_id;
    IF NOT FOUND OR v_exam.screen_cells IS NULL THEN
        PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, '考试已被删除');
        RETURN QUERY SELECT 'refused', '考试已被删除', 0, 0, 0::bigint, 0::bigint, 0, 0;
        RETURN;
    END IF;
    v_expected := string_to_array(v_exam.screen_cells, ',');
    v_texts := v_exam.screen_texts::jsonb;
    v_cells := cardinality(v_expected);
    IF cardinality(p_typed) > v_cells OR cardinality(p_typed) <> cardinality(p_typed_texts) THEN
        PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, '成绩中打入的字比考试的屏幕还多');
        RETURN QUERY SELECT 'refused', '成绩中打入的字比考试的屏幕还多', 0, 0, 0::bigint,
                            0::bigint, 0, 0;
        RETURN;
    END IF;
    SELECT kind INTO v_kind FROM practice_text WHERE id = v_exam.text_id;
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;

    FOR i IN 1 .. coalesce(cardinality(p_typed), 0) LOOP
        CONTINUE WHEN coalesce(p_typed[i], '') = '';
        v_typed := v_typed + 1;
        IF p_typed[i] = v_expected[i] THEN
            v_correct := v_correct + 1;
        END IF;
    END LOOP;

    v_limit_ms := v_exam.minutes * 60000;
    v_server_ms := floor(extract(epoch FROM (v_now - v_sitting.started_at)) * 1000);
    v_late := CASE WHEN v_server_ms > v_limit_ms + 30000 THEN 1 ELSE 0 END;
    v_used_ms := least(greatest(v_server_ms, 0), v_limit_ms);
    v_speed_ms := CASE WHEN v_late = 0 AND cardinality(p_typed) = v_cells
                       THEN greatest(v_used_ms, 1) ELSE v_limit_ms END;
    v_seconds := v_used_ms / 1000;
    v_accuracy := CASE WHEN v_typed = 0 THEN 0 ELSE (v_correct * 100) / v_typed END;
    v_per_minute := v_correct * 60000.0 / v_speed_ms;
    -- Flagged for the teacher's eyes, not refused: faster than a person types,
    -- or keys at machine-regular intervals.
    IF v_per_minute > (CASE WHEN v_kind = 111 THEN 250 ELSE 750 END)
       OR (v_typed >= 30 AND p_key_median_ms > 0 AND p_key_spread_ms * 10 < p_key_median_ms) THEN
        v_flagged := 1;
    END IF;
    v_label := CASE v_kind WHEN 111 THEN '中文测试' WHEN 112 THEN '英文测试'
                           WHEN 113 THEN '数字测试' WHEN 114 THEN '符号测试' END;

    INSERT INTO score (name, student_no, score_type, chinese_speed, english_speed, number_speed,
                       symbol_speed, seconds, accuracy)
    VALUES (v_user.name, v_user.student_no, v_label,
            CASE WHEN v_kind = 111 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN v_kind = 112 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN v_kind = 113 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN v_kind = 114 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            v_seconds, v_accuracy)
    RETURNING qe_key INTO v_score;
    INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, text_file,
                         text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
                         backspaces, end_reason, key_median_ms, key_spread_ms)
    VALUES (v_score, v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), v_kind, v_exam.title,
            encode(sha256(decode(replace(v_exam.screen_cells, ',', ''), 'hex')), 'hex'),
            v_sitting.started_at, v_now, v_speed_ms, v_typed, v_correct,
            greatest(coalesce(p_backspaces, 0), 0), coalesce(p_end_reason, 1),
            p_key_median_ms, p_key_spread_ms)
    RETURNING id INTO v_attempt;
    INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id)
    VALUES (v_attempt, (SELECT id FROM practice_text WHERE id = v_exam.text_id), v_exam.screen,
            v_exam.id);
    INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
    SELECT v_attempt, i - 1, v_me, v_kind, coalesce(v_texts ->> (i - 1), ''),
           coalesce(p_typed_texts[i], qe_cell_text(p_typed[i]))
    FROM generate_subscripts(p_typed, 1) AS i
    WHERE coalesce(p_typed[i], '') <> '' AND p_typed[i] <> v_expected[i];
    UPDATE exam_sitting SET finished = 1, ended_at = v_now, kind = v_kind, elapsed_ms = v_used_ms,
        speed_ms = v_speed_ms, typed_units = v_typed, correct_units = v_correct,
        end_reason = coalesce(p_end_reason, 1), focus_losses = greatest(coalesce(p_focus_losses, 0), 0),
        attempt_id = v_attempt, late = v_late, key_median_ms = p_key_median_ms,
        key_spread_ms = p_key_spread_ms, flagged = v_flagged
    WHERE id = v_sitting.id;
    RETURN QUERY SELECT 'stored', ''::text, v_typed, v_correct, v_used_ms, v_speed_ms, v_late,
                        v_flagged;
END
$$;

-- A result kept on a pupil's machine that cannot be scored (kept by an older
-- program, without what was typed): the refusal is kept for the teacher.
CREATE FUNCTION qe_refuse_kept_result(p_uid text, p_reason text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_sitting exam_sitting%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_sitting FROM exam_sitting WHERE uid = p_uid;
    IF FOUND AND v_sitting.user_key <> v_me THEN
        RAISE EXCEPTION 'permission denied: the sitting is another pupil''s' USING ERRCODE = '42501';
    END IF;
    IF FOUND AND v_sitting.finished = 1 THEN
        RETURN;
    END IF;
    PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, left(coalesce(p_reason, ''), 200));
END
$$;

REVOKE ALL ON FUNCTION qe_refuse_kept_result(text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION qe_register(text, text, text, text), qe_log_login(),
    qe_add_super_user(text, text), qe_add_pupils(text[], text[], text[], text[]),
    qe_set_pupil_password(bigint, text), qe_start_sitting(bigint, text),
    qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer),
    qe_lock_accounts() FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_register(text, text, text, text) TO ' || base;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_log_login() TO ' || pupil || ', ' || teacher;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_start_sitting(bigint, text), qe_refuse_kept_result(text, text), '
            'qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer) TO '
            || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_add_super_user(text, text), '
            'qe_add_pupils(text[], text[], text[], text[]), qe_set_pupil_password(bigint, text) TO '
            || teacher;
END
$$;
