-- Version 14: one rule per figure. The accuracy is correct × 100 / typed
-- in integers everywhere (57 of 100 is 57, where a floating-point quotient
-- truncated gave 56), and whether a result reaches a target and a lesson's
-- stars are one function each, the program's rules written in SQL. The
-- stores of practices and lessons use them; the scores stored with the
-- old quotient are mended from their attempts' own counts.

CREATE FUNCTION qe_accuracy(p_correct bigint, p_typed bigint) RETURNS integer
LANGUAGE sql IMMUTABLE
AS $$
    SELECT CASE WHEN coalesce(p_typed, 0) <= 0 THEN 0
                ELSE (greatest(coalesce(p_correct, 0), 0) * 100 / p_typed)::integer END
$$;
REVOKE ALL ON FUNCTION qe_accuracy(bigint, bigint) FROM PUBLIC;

CREATE FUNCTION qe_meets_target(p_speed double precision, p_accuracy integer,
                                p_min_speed double precision, p_min_accuracy integer)
RETURNS boolean
LANGUAGE sql IMMUTABLE
AS $$
    SELECT p_speed >= p_min_speed AND p_accuracy >= p_min_accuracy
$$;
REVOKE ALL ON FUNCTION qe_meets_target(double precision, integer, double precision, integer)
    FROM PUBLIC;

-- 0 below the targets; 1 at them, 2 and 3 at the course's higher levels,
-- whose accuracy is never below the target's.
CREATE FUNCTION qe_lesson_stars(p_accuracy integer, p_per_minute double precision,
                                p_target_accuracy integer, p_target_speed double precision,
                                p_two_accuracy integer, p_two_factor double precision,
                                p_three_accuracy integer, p_three_factor double precision)
RETURNS integer
LANGUAGE sql IMMUTABLE
AS $$
    SELECT CASE
        WHEN NOT qe_meets_target(p_per_minute, p_accuracy, p_target_speed, p_target_accuracy)
            THEN 0
        WHEN qe_meets_target(p_per_minute, p_accuracy, p_target_speed * p_three_factor,
                             greatest(p_three_accuracy, p_target_accuracy)) THEN 3
        WHEN qe_meets_target(p_per_minute, p_accuracy, p_target_speed * p_two_factor,
                             greatest(p_two_accuracy, p_target_accuracy)) THEN 2
        ELSE 1 END
$$;
REVOKE ALL ON FUNCTION qe_lesson_stars(integer, double precision, integer, double precision,
    integer, double precision, integer, double precision) FROM PUBLIC;

-- A finished practice, as version 11 stored it, with the one accuracy.
CREATE OR REPLACE FUNCTION qe_store_practice(p_kind integer, p_screen text[], p_screen_texts text[],
                                  p_typed text[], p_typed_texts text[], p_seconds integer,
                                  p_elapsed_ms bigint, p_backspaces integer,
                                  p_end_reason integer, p_text_file text, p_text_hash text,
                                  p_text_id bigint, p_screen_no integer,
                                  p_key_median_ms integer, p_key_spread_ms integer,
                                  p_key_presses integer, p_backspace_presses integer)
RETURNS TABLE (score_key bigint, attempt_id bigint, typed_units integer, correct_units integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    v_cells integer := coalesce(cardinality(p_screen), 0);
    v_count integer := coalesce(cardinality(p_typed), 0);
    v_user "user"%ROWTYPE;
    v_typed integer;
    v_correct integer;
    v_per_minute integer := CASE p_kind WHEN 111 THEN 250 ELSE 750 END;
    v_start timestamp(3);
    v_score bigint;
    v_attempt bigint;
    v_presses integer;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores a practice' USING ERRCODE = '42501';
    END IF;
    IF v_cells > 1288 OR coalesce(cardinality(p_screen_texts), 0) <> v_cells
       OR coalesce(cardinality(p_typed_texts), 0) <> v_count
       OR char_length(p_text_file) > 200 OR char_length(p_text_hash) > 64
       OR EXISTS (SELECT 1 FROM unnest(p_screen || p_typed) c
                  WHERE c IS NULL OR c !~ '^([0-9a-f]{2}){0,2}$')
       OR EXISTS (SELECT 1 FROM unnest(p_screen_texts || p_typed_texts) t
                  WHERE char_length(t) > 4) THEN
        RAISE EXCEPTION '练习记录的内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
    IF p_kind NOT IN (111, 112, 113, 114) OR v_count > v_cells THEN
        RAISE EXCEPTION '练习记录与练习的屏幕不符,成绩不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF p_elapsed_ms IS NULL OR p_elapsed_ms < 0 OR p_elapsed_ms > 86400000
       OR p_seconds IS NULL OR p_seconds < 0 OR p_seconds > 86400 THEN
        RAISE EXCEPTION '练习的用时不对,成绩不能保存。' USING ERRCODE = 'QE201';
    END IF;
    SELECT count(*) FILTER (WHERE t <> ''), count(*) FILTER (WHERE t <> '' AND t = s)
    INTO v_typed, v_correct
    FROM unnest(p_typed, p_screen[1:v_count]) AS u(t, s);
    IF v_typed > 20 + v_per_minute * p_elapsed_ms / 60000.0
       OR v_typed > 20 + v_per_minute * p_seconds / 60.0 THEN
        RAISE EXCEPTION '这次练习比人能打的还快(每分钟超过%个),成绩不能保存。', v_per_minute
            USING ERRCODE = 'QE201';
    END IF;
    v_start := qe_claim_time(v_me, p_elapsed_ms, v_now, '这次练习');

    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    INSERT INTO score (name, student_no, score_type, chinese_speed, english_speed, number_speed,
                       symbol_speed, seconds, accuracy)
    SELECT v_user.name, v_user.student_no,
           CASE p_kind WHEN 111 THEN '中文测试' WHEN 112 THEN '英文测试'
                       WHEN 113 THEN '数字测试' ELSE '符号测试' END,
           CASE WHEN p_kind = 111 THEN speed END, CASE WHEN p_kind = 112 THEN speed END,
           CASE WHEN p_kind = 113 THEN speed END, CASE WHEN p_kind = 114 THEN speed END,
           p_seconds,
           qe_accuracy(v_correct, v_typed)
    FROM (SELECT CASE WHEN p_seconds = 0 THEN 0 ELSE v_correct / p_seconds END AS speed) f
    RETURNING qe_key INTO v_score;
    INSERT INTO score_owner (score_key, user_key) VALUES (v_score, v_me);
    v_presses := CASE WHEN p_key_presses IS NULL OR p_key_presses < 0 THEN NULL
                      ELSE least(greatest(p_key_presses, v_typed),
                                 20 * (p_elapsed_ms / 1000 + 1))::integer END;
    INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, text_file,
                         text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
                         backspaces, end_reason, key_median_ms, key_spread_ms, key_presses,
                         backspace_presses, checked)
    VALUES (v_score, v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), p_kind, coalesce(p_text_file, ''),
            coalesce(p_text_hash, ''), v_start, v_now, p_elapsed_ms, v_typed, v_correct,
            least(greatest(coalesce(p_backspaces, 0), 0), 1000000),
            CASE WHEN p_end_reason BETWEEN 1 AND 4 THEN p_end_reason ELSE 1 END,
            least(greatest(coalesce(p_key_median_ms, 0), 0), 3600000),
            least(greatest(coalesce(p_key_spread_ms, 0), 0), 3600000), v_presses,
            CASE WHEN v_presses IS NULL THEN NULL
                 ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END, 1)
    RETURNING id INTO v_attempt;
    IF coalesce(p_text_id, 0) <> 0 THEN
        INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id)
        VALUES (v_attempt, (SELECT id FROM practice_text WHERE id = p_text_id),
                least(greatest(coalesce(p_screen_no, 0), 0), 1000000), NULL);
    END IF;
    INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
    SELECT v_attempt, i - 1, v_me, p_kind, coalesce(p_screen_texts[i], ''),
           coalesce(p_typed_texts[i], '')
    FROM generate_subscripts(p_typed, 1) AS i
    WHERE p_typed[i] <> '' AND p_typed[i] IS DISTINCT FROM p_screen[i];
    RETURN QUERY SELECT v_score, v_attempt, v_typed, v_correct;
END
$$;
REVOKE ALL ON FUNCTION qe_store_practice(integer, text[], text[], text[], text[], integer, bigint,
    integer, integer, text, text, bigint, integer, integer, integer, integer, integer) FROM PUBLIC;

-- A finished lesson, as version 11 stored it, with the one accuracy and
-- stars.
CREATE OR REPLACE FUNCTION qe_store_lesson(p_course text, p_lesson integer, p_elapsed_ms bigint,
                                p_errors integer, p_backspaces integer, p_key_presses integer,
                                p_backspace_presses integer, p_miss_expected text[],
                                p_miss_typed text[], p_miss_times integer[])
RETURNS TABLE (attempt_id bigint, stars integer, passed integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    v_misses integer := coalesce(cardinality(p_miss_expected), 0);
    v_user "user"%ROWTYPE;
    v_lesson course_lesson%ROWTYPE;
    v_levels course_stars%ROWTYPE;
    v_class course_class%ROWTYPE;
    v_keystrokes integer;
    v_accuracy integer;
    v_per_minute double precision;
    v_target_accuracy integer;
    v_target_speed integer;
    v_stars integer := 0;
    v_start timestamp(3);
    v_attempt bigint;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores a lesson' USING ERRCODE = '42501';
    END IF;
    IF char_length(p_course) > 40 OR v_misses > 500
       OR coalesce(cardinality(p_miss_typed), 0) <> v_misses
       OR coalesce(cardinality(p_miss_times), 0) <> v_misses
       OR EXISTS (SELECT 1 FROM unnest(p_miss_expected || p_miss_typed) t
                  WHERE t IS NULL OR char_length(t) > 8) THEN
        RAISE EXCEPTION '课程记录的内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
    SELECT * INTO v_lesson FROM course_lesson WHERE course = p_course AND lesson = p_lesson;
    IF NOT FOUND THEN
        RAISE EXCEPTION '数据库中没有这一课,请管理员运行 qe --upgrade-database。'
            USING ERRCODE = 'QE201';
    END IF;
    IF p_elapsed_ms IS NULL OR p_elapsed_ms <= 0 OR p_elapsed_ms > 86400000
       OR p_errors IS NULL OR p_errors < 0 OR p_errors > 10 * v_lesson.keys + 1000
       OR EXISTS (SELECT 1 FROM unnest(p_miss_times) n WHERE n IS NULL OR n < 1 OR n > p_errors) THEN
        RAISE EXCEPTION '这一课的记录不对,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF v_lesson.keys > 20 + 750 * p_elapsed_ms / 60000.0 THEN
        RAISE EXCEPTION '这一课比人能打的还快(每分钟超过750键),不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF p_key_presses IS NOT NULL AND p_key_presses >= 0 AND p_key_presses < v_lesson.keys THEN
        RAISE EXCEPTION '按键次数比这一课的键还少,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    v_start := qe_claim_time(v_me, p_elapsed_ms, v_now, '这一课');

    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    SELECT * INTO v_class FROM course_class WHERE class_name = coalesce(v_user.class, '');
    SELECT * INTO v_levels FROM course_stars WHERE course = p_course;
    -- As the program's course rules: the one accuracy, keys a minute over
    -- the time typed, the class's own accuracy and share of the speed.
    v_keystrokes := v_lesson.keys + p_errors;
    v_accuracy := qe_accuracy(v_lesson.keys, v_keystrokes);
    v_per_minute := v_lesson.keys::double precision * 60000 / p_elapsed_ms::double precision;
    v_target_accuracy := CASE WHEN coalesce(v_class.accuracy, 0) > 0 THEN v_class.accuracy
                              ELSE v_lesson.accuracy END;
    v_target_speed := round(v_lesson.speed * coalesce(v_class.speed_percent, 100) / 100.0);
    v_stars := qe_lesson_stars(v_accuracy, v_per_minute, v_target_accuracy, v_target_speed,
                               v_levels.two_accuracy, v_levels.two_speed_factor,
                               v_levels.three_accuracy, v_levels.three_speed_factor);
    INSERT INTO lesson_attempt (user_key, user_name, class_name, student_no, kind, course, lesson,
                                started_at, ended_at, elapsed_ms, keystrokes, correct_keys, errors,
                                backspaces, stars, passed, key_presses, backspace_presses, checked)
    VALUES (v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), 116, p_course, p_lesson, v_start, v_now,
            p_elapsed_ms, v_keystrokes, v_lesson.keys, p_errors,
            least(greatest(coalesce(p_backspaces, 0), 0), p_errors), v_stars,
            CASE WHEN v_stars > 0 THEN 1 ELSE 0 END,
            CASE WHEN p_key_presses < 0 THEN NULL
                 ELSE least(p_key_presses, 20 * (p_elapsed_ms / 1000 + 1))::integer END,
            CASE WHEN p_key_presses IS NULL OR p_key_presses < 0 THEN NULL
                 ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), p_key_presses) END, 1)
    RETURNING id INTO v_attempt;
    INSERT INTO lesson_miss (attempt_id, user_key, expected, typed, times)
    SELECT v_attempt, v_me, p_miss_expected[i], p_miss_typed[i], sum(p_miss_times[i])
    FROM generate_subscripts(p_miss_expected, 1) AS i
    GROUP BY p_miss_expected[i], p_miss_typed[i];
    RETURN QUERY SELECT v_attempt, v_stars, CASE WHEN v_stars > 0 THEN 1 ELSE 0 END;
END
$$;
REVOKE ALL ON FUNCTION qe_store_lesson(text, integer, bigint, integer, integer, integer, integer,
    text[], text[], integer[]) FROM PUBLIC;

UPDATE score SET accuracy = qe_accuracy(a.correct_units, a.typed_units)
FROM attempt a
WHERE a.score_key = score.qe_key AND a.typed_units > 0
  AND score.accuracy IS DISTINCT FROM qe_accuracy(a.correct_units, a.typed_units);
