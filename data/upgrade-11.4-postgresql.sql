-- Version 11 on PostgreSQL, continued from upgrade-11.3-postgresql.sql (read
-- after it, in the same transaction): an exam's start and the cells reported
-- while it runs.

-- An exam's start, on the server's clock: the exam must be open and set for
-- the pupil's class; a pupil has one running sitting at a time, and a
-- sitting left running past its time counts as sat (中断). Returns the
-- start and the exam's screen, which reaches the pupil only here. A start
-- asked again under the same uid (the program gave up waiting for the
-- first answer) is the same sitting, on its first start's clock.
DROP FUNCTION qe_start_sitting(bigint, text);
CREATE FUNCTION qe_start_sitting(p_exam bigint, p_uid text)
RETURNS TABLE (started_at timestamp(3), title text, kind integer, minutes integer,
               screen_cells text, screen_texts text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_class text;
    v_exam exam%ROWTYPE;
    v_kind integer;
    v_started timestamp(3);
    v_now timestamp(3) := LOCALTIMESTAMP(3);
BEGIN
    IF char_length(p_uid) > 64 THEN
        RAISE EXCEPTION 'a sitting''s uid has at most 64 characters' USING ERRCODE = 'QE006';
    END IF;
    SELECT class INTO v_class FROM "user" WHERE qe_key = v_me;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'permission denied: only a pupil sits an exam' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = p_exam;
    IF NOT FOUND OR v_exam.is_open = 0 THEN
        RAISE EXCEPTION '考试已经关闭。' USING ERRCODE = 'QE101';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM exam_class WHERE exam_id = p_exam
                   AND class_name = coalesce(v_class, '')) THEN
        RAISE EXCEPTION '这场考试不是给你的班级的。' USING ERRCODE = 'QE102';
    END IF;
    -- Serialises the starts of one pupil's copies of the program.
    PERFORM qe_lock_pupil_clock(v_me);
    SELECT s.started_at INTO v_started FROM exam_sitting s
    WHERE s.uid = p_uid AND s.user_key = v_me AND s.exam_id = p_exam AND s.finished = 0
      AND s.started_at + make_interval(mins => v_exam.minutes, secs => 30) >= v_now;
    IF FOUND THEN
        RETURN QUERY SELECT v_started, v_exam.title, coalesce(v_exam.kind, 0), v_exam.minutes,
                            v_exam.screen_cells, v_exam.screen_texts;
        RETURN;
    END IF;
    UPDATE exam_sitting SET finished = 2
    WHERE exam_id = p_exam AND user_key = v_me AND finished = 0
      AND exam_sitting.started_at + make_interval(mins => v_exam.minutes, secs => 30) < v_now;
    IF EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me
               AND finished = 0) THEN
        RAISE EXCEPTION '你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。'
            USING ERRCODE = 'QE104';
    END IF;
    IF v_exam.retake_allowed = 0
       AND EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me) THEN
        RAISE EXCEPTION '你已经参加过这场考试,这场考试不允许重考。' USING ERRCODE = 'QE103';
    END IF;
    v_kind := coalesce(v_exam.kind, (SELECT t.kind FROM practice_text t WHERE t.id = v_exam.text_id));
    INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, focus_losses, kind,
                              screen_units)
    VALUES (p_uid, p_exam, v_me, v_now, 0, 0, v_kind,
            cardinality(string_to_array(v_exam.screen_cells, ',')));
    RETURN QUERY SELECT v_now, v_exam.title, v_kind, v_exam.minutes, v_exam.screen_cells,
                        v_exam.screen_texts;
END
$$;

-- Takes cells of a running sitting (locked by the caller), as the pupil's
-- program sent them: from position p_from (0 for the first cell) to the
-- typing position. Cells of the rows before the typing position's row (of
-- every cell before it where Backspace is refused) cannot change any more;
-- cells that change them, or that leave a gap, contradict what the server
-- saw and are refused (QE105). The first doubt about how fast they came is
-- kept as the sitting's flag_reason: more than a person types since the
-- start or since the last report, or a long silence before cells came. A
-- late result (p_late: after the time allowed) may add no more than the
-- time left after the last report allowed, and what it adds is noted.
CREATE FUNCTION qe_take_cells(p_id bigint, p_from integer, p_cells text[], p_texts text[],
                              p_now timestamp(3), p_late boolean)
RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    s exam_sitting%ROWTYPE;
    v_minutes integer;
    v_backspace integer;
    v_count integer := coalesce(cardinality(p_cells), 0);
    v_end integer := p_from + coalesce(cardinality(p_cells), 0);
    v_row integer;
    v_frozen integer;
    v_rate double precision;
    v_limit_ms bigint;
    v_since_ms bigint;
    v_at_ms bigint;
    v_advance integer;
    v_doubt text;
    v_lo integer;
    v_hi integer;
    v_stored text[];
    v_stored_texts text[];
BEGIN
    SELECT * INTO s FROM exam_sitting WHERE id = p_id;
    -- The exam's screen stays where it is: only its time and rule are read.
    SELECT minutes, backspace_allowed INTO v_minutes, v_backspace FROM exam WHERE id = s.exam_id;
    v_row := CASE WHEN s.kind = 111 THEN 46 ELSE 92 END;
    v_rate := (CASE WHEN s.kind = 111 THEN 250 ELSE 750 END) / 60000.0;
    v_limit_ms := v_minutes * 60000;
    IF p_from < 0 OR v_end > coalesce(s.screen_units, 0) THEN
        RAISE EXCEPTION '成绩中打入的字比考试的屏幕还多' USING ERRCODE = 'QE105';
    END IF;
    IF p_from > s.seen_pos THEN
        RAISE EXCEPTION '成绩中缺少考试时已经打过的字' USING ERRCODE = 'QE105';
    END IF;
    v_frozen := CASE WHEN v_backspace = 1 THEN (s.seen_pos / v_row) * v_row ELSE s.seen_pos END;
    IF v_end < v_frozen THEN
        RAISE EXCEPTION '成绩中少了考试时已经收到的字' USING ERRCODE = 'QE105';
    END IF;
    -- The rows that cannot change any more must be what the server saw.
    FOR r IN (p_from / v_row) .. ((v_frozen - 1) / v_row) LOOP
        EXIT WHEN r * v_row >= v_frozen OR p_from >= v_frozen;
        v_lo := greatest(p_from, r * v_row);
        v_hi := least(v_end, (r + 1) * v_row, v_frozen);
        SELECT cells INTO v_stored FROM sitting_row WHERE sitting_id = p_id AND row_no = r;
        IF p_cells[v_lo - p_from + 1 : v_hi - p_from]
           IS DISTINCT FROM (coalesce(v_stored, '{}'::text[]))[v_lo - r * v_row + 1 : v_hi - r * v_row] THEN
            RAISE EXCEPTION '成绩与考试时收到的内容不符' USING ERRCODE = 'QE105';
        END IF;
    END LOOP;
    v_advance := greatest(0, v_end - s.seen_pos);
    v_at_ms := floor(extract(epoch FROM (p_now - s.started_at)) * 1000);
    v_since_ms := floor(extract(epoch FROM (p_now - coalesce(s.seen_at, s.started_at))) * 1000);
    IF p_late THEN
        -- Only what the time left after the last report could hold.
        IF v_advance > 20 + v_rate * (greatest(0, v_limit_ms - (v_at_ms - v_since_ms)) + 2000) THEN
            RAISE EXCEPTION '补交的成绩比考试剩下的时间里能打的还多' USING ERRCODE = 'QE105';
        END IF;
        IF v_advance > 20 THEN
            v_doubt := format('有%s个字是考试结束后补交的,考试时服务器没有收到', v_advance);
        END IF;
    ELSIF v_advance > 0 THEN
        IF v_end > 20 + v_rate * (v_at_ms + 2000) THEN
            v_doubt := format('开考%s秒就收到%s个字,超出常人的速度', v_at_ms / 1000, v_end);
        ELSIF v_advance > 20 + v_rate * (v_since_ms + 2000) THEN
            v_doubt := format('%s秒内收到%s个字,超出常人的速度', v_since_ms / 1000, v_advance);
        ELSIF v_since_ms > 15000 THEN
            v_doubt := format('服务器有%s秒没有收到打字内容', v_since_ms / 1000);
        END IF;
    END IF;
    -- The rows from the first that may change: kept up to p_from, then the
    -- cells sent; what lies after the typing position goes.
    FOR r IN (greatest(p_from, v_frozen) / v_row) .. (greatest(v_end, 1) - 1) / v_row LOOP
        v_lo := greatest(p_from, v_frozen, r * v_row);
        v_hi := least(v_end, (r + 1) * v_row);
        CONTINUE WHEN v_hi < v_lo;
        SELECT cells, texts INTO v_stored, v_stored_texts FROM sitting_row
        WHERE sitting_id = p_id AND row_no = r;
        INSERT INTO sitting_row (sitting_id, row_no, cells, texts)
        VALUES (p_id, r,
                (coalesce(v_stored, '{}'::text[]))[1 : v_lo - r * v_row] || coalesce(p_cells[v_lo - p_from + 1 : v_hi - p_from], '{}'),
                (coalesce(v_stored_texts, '{}'::text[]))[1 : v_lo - r * v_row] || coalesce(p_texts[v_lo - p_from + 1 : v_hi - p_from], '{}'))
        ON CONFLICT (sitting_id, row_no) DO UPDATE SET cells = EXCLUDED.cells, texts = EXCLUDED.texts;
    END LOOP;
    DELETE FROM sitting_row WHERE sitting_id = p_id AND row_no * v_row >= v_end;
    UPDATE exam_sitting SET seen_pos = v_end, seen_at = p_now, reports = reports + 1,
        whole_at = CASE WHEN v_end >= screen_units AND whole_at IS NULL AND NOT p_late
                        THEN p_now ELSE whole_at END,
        flag_reason = coalesce(flag_reason, v_doubt)
    WHERE id = p_id;
END
$$;
REVOKE ALL ON FUNCTION qe_take_cells(bigint, integer, text[], text[], timestamp, boolean)
    FROM PUBLIC;

-- The size checks of cells a pupil's program sends.
CREATE FUNCTION qe_check_cells(p_uid text, p_from integer, p_cells text[], p_texts text[])
RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF char_length(p_uid) > 64 OR p_from IS NULL OR p_from < 0 OR p_from > 1288
       OR coalesce(cardinality(p_cells), 0) > 1288
       OR coalesce(cardinality(p_cells), 0) <> coalesce(cardinality(p_texts), 0)
       OR EXISTS (SELECT 1 FROM unnest(p_cells) c WHERE c IS NULL OR c !~ '^([0-9a-f]{2}){0,2}$')
       OR EXISTS (SELECT 1 FROM unnest(p_texts) t WHERE t IS NULL OR char_length(t) > 4) THEN
        RAISE EXCEPTION '考试内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
END
$$;
REVOKE ALL ON FUNCTION qe_check_cells(text, integer, text[], text[]) FROM PUBLIC;

-- A running sitting's cells, reported by the pupil's program every few
-- seconds beside its live report: kept with the server's time. A report
-- that contradicts what came before is not taken and marks the sitting
-- 可疑. Returns the typing position the server holds (the program sends
-- from the start of its row next time), -1 for no running sitting.
CREATE FUNCTION qe_sitting_report(p_uid text, p_from integer, p_cells text[], p_texts text[])
RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    s exam_sitting%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil sits an exam' USING ERRCODE = '42501';
    END IF;
    PERFORM qe_check_cells(p_uid, p_from, p_cells, p_texts);
    -- A report lost to a crash of the server costs nothing (the result
    -- brings every cell again): its commit does not wait for the disk.
    PERFORM set_config('synchronous_commit', 'off', true);
    SELECT * INTO s FROM exam_sitting WHERE uid = p_uid AND user_key = v_me FOR UPDATE;
    IF NOT FOUND OR s.finished <> 0 THEN
        RETURN -1;
    END IF;
    -- Past the time allowed the cells wait for the result itself.
    IF v_now <= s.started_at + make_interval(mins => (SELECT minutes FROM exam
                                                       WHERE id = s.exam_id), secs => 30) THEN
        BEGIN
            PERFORM qe_take_cells(s.id, p_from, p_cells, p_texts, v_now, false);
        EXCEPTION WHEN SQLSTATE 'QE105' THEN
            UPDATE exam_sitting SET flag_reason = coalesce(flag_reason, SQLERRM) WHERE id = s.id;
        END;
    END IF;
    RETURN (SELECT seen_pos FROM exam_sitting WHERE id = s.id);
END
$$;
REVOKE ALL ON FUNCTION qe_sitting_report(text, integer, text[], text[]) FROM PUBLIC;
