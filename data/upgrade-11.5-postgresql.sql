-- Version 11 on PostgreSQL, continued from upgrade-11.4-postgresql.sql (read
-- after it, in the same transaction): an exam's result and the live reports.

-- An exam's result, scored from the cells the server saw arrive: the
-- result brings the whole typed screen once more (a result kept on the
-- pupil's machine while the server was away brings what the server did
-- not see), taken as a last report. The score row is the described one
-- (speed in whole units per second); the attempt's time is what its speed
-- is measured over: the time allowed, unless the server saw the whole
-- screen typed before it. A result after the time allowed is late (补交).
-- What the pupil's program counted (key presses, Backspaces, the rhythm of
-- the keys, focus losses) is taken as its own figures, within what the
-- cells allow. Outcomes: 'stored' (with the reason when flagged),
-- 'stored-before', or 'refused' with the reason, kept for the teacher.
DROP FUNCTION qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer);
DROP FUNCTION qe_sitting_key_presses(text, integer, integer);
CREATE FUNCTION qe_finish_sitting(p_uid text, p_cells text[], p_texts text[],
                                  p_backspaces integer, p_end_reason integer,
                                  p_focus_losses integer, p_key_median_ms integer,
                                  p_key_spread_ms integer, p_key_presses integer,
                                  p_backspace_presses integer)
RETURNS TABLE (outcome text, reason text, typed_units integer, correct_units integer,
               used_ms bigint, speed_ms bigint, late integer, flagged integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    s exam_sitting%ROWTYPE;
    v_exam exam%ROWTYPE;
    v_user "user"%ROWTYPE;
    v_expected text[];
    v_texts jsonb;
    v_typed_cells text[];
    v_typed_texts text[];
    v_typed integer;
    v_correct integer;
    v_limit_ms bigint;
    v_server_ms bigint;
    v_used_ms bigint;
    v_speed_ms bigint;
    v_late integer;
    v_flagged integer := 0;
    v_seconds integer;
    v_accuracy integer;
    v_presses integer;
    v_score bigint;
    v_attempt bigint;
    v_label text;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores an exam result' USING ERRCODE = '42501';
    END IF;
    PERFORM qe_check_cells(p_uid, 0, p_cells, p_texts);
    SELECT * INTO s FROM exam_sitting WHERE uid = p_uid AND user_key = v_me FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM qe_refuse_sitting(p_uid, NULL, v_me, '数据库中没有这次考试的开始记录');
        RETURN QUERY SELECT 'refused', '数据库中没有这次考试的开始记录', 0, 0, 0::bigint,
                            0::bigint, 0, 0;
        RETURN;
    END IF;
    IF s.finished = 1 THEN
        RETURN QUERY SELECT 'stored-before', coalesce(s.flag_reason, ''), s.typed_units,
                            s.correct_units, s.elapsed_ms, s.speed_ms, s.late, s.flagged;
        RETURN;
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = s.exam_id;
    IF NOT FOUND OR v_exam.screen_cells IS NULL THEN
        PERFORM qe_refuse_sitting(p_uid, s.exam_id, v_me, '考试已被删除');
        RETURN QUERY SELECT 'refused', '考试已被删除', 0, 0, 0::bigint, 0::bigint, 0, 0;
        RETURN;
    END IF;
    v_limit_ms := v_exam.minutes * 60000;
    v_server_ms := floor(extract(epoch FROM (v_now - s.started_at)) * 1000);
    v_late := CASE WHEN v_server_ms > v_limit_ms + 30000 THEN 1 ELSE 0 END;
    BEGIN
        PERFORM qe_take_cells(s.id, 0, p_cells, p_texts, v_now, v_late = 1);
    EXCEPTION WHEN SQLSTATE 'QE105' THEN
        PERFORM qe_refuse_sitting(p_uid, s.exam_id, v_me, SQLERRM);
        RETURN QUERY SELECT 'refused', SQLERRM, 0, 0, 0::bigint, 0::bigint, 0, 0;
        RETURN;
    END;
    SELECT * INTO s FROM exam_sitting WHERE id = s.id;

    -- The typed screen as the server holds it.
    SELECT coalesce(array_agg(c ORDER BY r.row_no, o), '{}'), coalesce(array_agg(t ORDER BY r.row_no, o), '{}')
    INTO v_typed_cells, v_typed_texts
    FROM sitting_row r, unnest(r.cells, r.texts) WITH ORDINALITY AS u(c, t, o)
    WHERE r.sitting_id = s.id;
    v_expected := string_to_array(v_exam.screen_cells, ',');
    v_texts := v_exam.screen_texts::jsonb;
    SELECT count(*) FILTER (WHERE c <> ''), count(*) FILTER (WHERE c <> '' AND c = v_expected[i])
    INTO v_typed, v_correct
    FROM unnest(v_typed_cells) WITH ORDINALITY AS u(c, i);

    v_used_ms := least(greatest(v_server_ms, 0), v_limit_ms);
    v_speed_ms := CASE WHEN s.whole_at IS NOT NULL
                            AND s.whole_at <= s.started_at + make_interval(secs => v_limit_ms / 1000.0)
                       THEN greatest(floor(extract(epoch FROM (s.whole_at - s.started_at)) * 1000)::bigint, 1)
                       ELSE v_limit_ms END;
    v_seconds := v_used_ms / 1000;
    v_accuracy := CASE WHEN v_typed = 0 THEN 0 ELSE (v_correct * 100) / v_typed END;
    -- Keys at machine-regular intervals, by the program's own count.
    IF v_typed >= 30 AND p_key_median_ms > 0 AND p_key_spread_ms * 10 < p_key_median_ms THEN
        s.flag_reason := concat_ws(';', s.flag_reason, '按键间隔整齐得像机器');
    END IF;
    v_flagged := CASE WHEN s.flag_reason IS NULL THEN 0 ELSE 1 END;
    v_presses := CASE WHEN p_key_presses IS NULL OR p_key_presses < 0 THEN NULL
                      ELSE least(greatest(p_key_presses, v_typed), 20 * (v_used_ms / 1000 + 1))::integer END;
    v_label := CASE s.kind WHEN 111 THEN '中文测试' WHEN 112 THEN '英文测试'
                           WHEN 113 THEN '数字测试' WHEN 114 THEN '符号测试' END;
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;

    INSERT INTO score (name, student_no, score_type, chinese_speed, english_speed, number_speed,
                       symbol_speed, seconds, accuracy)
    VALUES (v_user.name, v_user.student_no, v_label,
            CASE WHEN s.kind = 111 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN s.kind = 112 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN s.kind = 113 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN s.kind = 114 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            v_seconds, v_accuracy)
    RETURNING qe_key INTO v_score;
    INSERT INTO score_owner (score_key, user_key) VALUES (v_score, v_me);
    INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, text_file,
                         text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
                         backspaces, end_reason, key_median_ms, key_spread_ms, key_presses,
                         backspace_presses, checked)
    VALUES (v_score, v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), s.kind, v_exam.title,
            encode(sha256(decode(replace(v_exam.screen_cells, ',', ''), 'hex')), 'hex'),
            s.started_at, v_now, v_speed_ms, v_typed, v_correct,
            least(greatest(coalesce(p_backspaces, 0), 0), coalesce(v_presses, 1000000)),
            CASE WHEN p_end_reason BETWEEN 1 AND 4 THEN p_end_reason ELSE 1 END,
            least(greatest(coalesce(p_key_median_ms, 0), 0), 3600000),
            least(greatest(coalesce(p_key_spread_ms, 0), 0), 3600000), v_presses,
            CASE WHEN v_presses IS NULL THEN NULL
                 ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END, 1)
    RETURNING id INTO v_attempt;
    INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id)
    VALUES (v_attempt, (SELECT id FROM practice_text WHERE id = v_exam.text_id), v_exam.screen,
            v_exam.id);
    INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
    SELECT v_attempt, i - 1, v_me, s.kind, coalesce(v_texts ->> (i - 1)::integer, ''),
           coalesce(v_typed_texts[i], qe_cell_text(v_typed_cells[i]))
    FROM generate_subscripts(v_typed_cells, 1) AS i
    WHERE v_typed_cells[i] <> '' AND v_typed_cells[i] IS DISTINCT FROM v_expected[i];
    UPDATE exam_sitting SET finished = 1, ended_at = v_now, elapsed_ms = v_used_ms,
        speed_ms = v_speed_ms, typed_units = v_typed, correct_units = v_correct,
        end_reason = CASE WHEN p_end_reason BETWEEN 1 AND 4 THEN p_end_reason ELSE 1 END,
        focus_losses = least(greatest(coalesce(p_focus_losses, 0), 0), 100000),
        attempt_id = v_attempt, late = v_late,
        key_median_ms = least(greatest(coalesce(p_key_median_ms, 0), 0), 3600000),
        key_spread_ms = least(greatest(coalesce(p_key_spread_ms, 0), 0), 3600000),
        key_presses = v_presses, flagged = v_flagged, flag_reason = s.flag_reason
    WHERE id = s.id;
    RETURN QUERY SELECT 'stored', coalesce(s.flag_reason, ''), v_typed, v_correct, v_used_ms,
                        v_speed_ms, v_late, v_flagged;
END
$$;
REVOKE ALL ON FUNCTION qe_finish_sitting(text, text[], text[], integer, integer, integer, integer,
    integer, integer, integer) FROM PUBLIC;

CREATE OR REPLACE FUNCTION qe_refuse_kept_result(p_uid text, p_reason text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_sitting exam_sitting%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil' USING ERRCODE = '42501';
    END IF;
    IF char_length(p_uid) > 64 OR char_length(p_reason) > 1000 THEN
        RAISE EXCEPTION 'a kept result''s uid or reason is too long' USING ERRCODE = 'QE006';
    END IF;
    SELECT * INTO v_sitting FROM exam_sitting WHERE uid = p_uid AND user_key = v_me;
    IF FOUND AND v_sitting.finished = 1 THEN
        RETURN;
    END IF;
    PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, left(coalesce(p_reason, ''), 200));
END
$$;

-- A pupil's live report, as in version 9; its sizes are bounded first, and
-- an exam is named only where the pupil sits it.
CREATE OR REPLACE FUNCTION qe_report_progress(p_activity integer, p_kind integer,
                                              p_exam_id bigint, p_label text, p_screen integer,
                                              p_typed integer, p_correct integer,
                                              p_elapsed bigint, p_idle bigint,
                                              p_focus_lost integer, p_end integer)
RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_user "user"%ROWTYPE;
    v_exam bigint;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil reports progress' USING ERRCODE = '42501';
    END IF;
    IF char_length(p_label) > 1000 THEN
        RAISE EXCEPTION 'a report''s label is too long' USING ERRCODE = 'QE006';
    END IF;
    -- The next report replaces this one: its commit does not wait for the disk.
    PERFORM set_config('synchronous_commit', 'off', true);
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    SELECT DISTINCT exam_id INTO v_exam FROM exam_sitting
    WHERE exam_id = p_exam_id AND user_key = v_me;
    INSERT INTO live_progress AS l (user_key, user_name, class_name, activity, kind, exam_id,
                                    label, screen_units, typed_units, correct_units, elapsed_ms,
                                    idle_ms, focus_lost, end_reason, reported_at)
    VALUES (v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            least(greatest(coalesce(p_activity, 0), 0), 3), coalesce(p_kind, 0), v_exam,
            left(coalesce(p_label, ''), 100),
            least(greatest(coalesce(p_screen, 0), 0), 1000000),
            least(greatest(coalesce(p_typed, 0), 0), 1000000),
            least(greatest(coalesce(p_correct, 0), 0), 1000000),
            least(greatest(coalesce(p_elapsed, 0), 0), 86400000),
            least(greatest(coalesce(p_idle, 0), 0), 86400000),
            CASE WHEN p_focus_lost = 0 THEN 0 ELSE 1 END,
            least(greatest(coalesce(p_end, 0), 0), 4), LOCALTIMESTAMP(3))
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
    RETURN CASE WHEN v_exam IS NOT NULL
                     AND EXISTS (SELECT 1 FROM exam_stop WHERE exam_id = v_exam)
                THEN 1 ELSE 0 END;
END
$$;

DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_store_practice(integer, text[], text[], text[], text[], '
            'integer, bigint, integer, integer, text, text, bigint, integer, integer, integer, '
            'integer, integer) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_store_lesson(text, integer, bigint, integer, integer, '
            'integer, integer, text[], text[], integer[]) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_clear_my_scores(bigint, integer) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_start_sitting(bigint, text) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_sitting_report(text, integer, text[], text[]) TO '
            || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_finish_sitting(text, text[], text[], integer, integer, '
            'integer, integer, integer, integer, integer) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_set_registration(boolean) TO ' || teacher;
END
$$;
REVOKE ALL ON FUNCTION qe_start_sitting(bigint, text) FROM PUBLIC;

SELECT qe_apply_lab_limits();
