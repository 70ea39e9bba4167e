-- Version 18 on PostgreSQL: a result faster than its class plausibly types
-- is 可疑 until a teacher confirms it.
--
-- Each class has a plausible speed, in correct units a minute: the
-- teacher's setting for the class (class_speed), or the default of its
-- school year, read from the class's name. A practice, text, drill or
-- exam result above it, or an exam the server already doubts, is kept
-- with checked = 2 and its reason in attempt.doubt: every reader that
-- counts (bests, reports, lessons, assignments) takes checked = 1 only, so
-- it counts for nothing until a teacher confirms it (qe_confirm_result).
-- score_doubt names the score rows in doubt, for the score lists, which
-- everybody reads.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

ALTER TABLE attempt ADD COLUMN doubt text;

CREATE TABLE class_speed (
    class_name text PRIMARY KEY CHECK (char_length(class_name) <= 100),
    chinese_per_minute integer NOT NULL CHECK (chinese_per_minute BETWEEN 10 AND 400),
    others_per_minute integer NOT NULL CHECK (others_per_minute BETWEEN 30 AND 1200),
    set_at timestamp(3) NOT NULL DEFAULT LOCALTIMESTAMP(3)
);

CREATE TABLE score_doubt (
    score_key bigint PRIMARY KEY REFERENCES score (qe_key) ON DELETE CASCADE
);

-- The school year a class's name tells (1 to 12: 一年级 to 六年级, 初一 to
-- 初三 or 七 to 九年级, 高一 to 高三 or 十 to 十二年级), or NULL.
CREATE FUNCTION qe_school_year(p_class text) RETURNS integer
LANGUAGE sql IMMUTABLE SET search_path FROM CURRENT
AS $$
    SELECT CASE
        WHEN p_class ~ '高(一|1)' THEN 10
        WHEN p_class ~ '高(二|2)' THEN 11
        WHEN p_class ~ '高(三|3)' THEN 12
        WHEN p_class ~ '初(一|1)' THEN 7
        WHEN p_class ~ '初(二|2)' THEN 8
        WHEN p_class ~ '初(三|3)' THEN 9
        WHEN p_class ~ '(十一|11)年级' THEN 11
        WHEN p_class ~ '(十二|12)年级' THEN 12
        WHEN p_class ~ '(^|[^十0-9])(十|10)年级' THEN 10
        ELSE (SELECT y FROM unnest(ARRAY['一', '二', '三', '四', '五', '六', '七', '八', '九'])
                            WITH ORDINALITY AS d(name, y)
              WHERE p_class ~ ('(^|[^十0-9])(' || name || '|' || y || ')年级'))::integer
    END
$$;

-- The plausible speed of a class for a kind, in correct units a minute:
-- 字 for Chinese, characters for the others.
CREATE FUNCTION qe_plausible_speed(p_class text, p_kind integer) RETURNS integer
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$
    SELECT coalesce(
        (SELECT CASE WHEN p_kind = 111 THEN chinese_per_minute ELSE others_per_minute END
         FROM class_speed WHERE class_name = p_class),
        (SELECT CASE WHEN p_kind = 111 THEN chinese ELSE others END
         FROM (SELECT qe_school_year(p_class) AS y) c,
              LATERAL (SELECT CASE WHEN c.y <= 2 THEN 30 WHEN c.y <= 4 THEN 50
                                   WHEN c.y <= 6 THEN 70 WHEN c.y <= 9 THEN 100
                                   WHEN c.y <= 12 THEN 130 ELSE 160 END AS chinese,
                              CASE WHEN c.y <= 2 THEN 120 WHEN c.y <= 4 THEN 180
                                   WHEN c.y <= 6 THEN 240 WHEN c.y <= 9 THEN 320
                                   WHEN c.y <= 12 THEN 400 ELSE 500 END AS others) d))
$$;

-- Why a result is 可疑 for its class, or NULL: faster than the class
-- plausibly types, over at least five seconds (a shorter one counts for
-- nothing anyway).
CREATE FUNCTION qe_speed_doubt(p_class text, p_kind integer, p_correct integer,
                               p_elapsed_ms bigint) RETURNS text
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$
    SELECT format('每分钟%s%s,超过本班的可信速度(每分钟%s%s)', floor(rate)::bigint, unit, plausible,
                  unit)
    FROM (SELECT p_correct * 60000.0 / nullif(p_elapsed_ms, 0) AS rate,
                 qe_plausible_speed(coalesce(p_class, ''), p_kind) AS plausible,
                 CASE WHEN p_kind = 111 THEN '字' ELSE '个字符' END AS unit) f
    WHERE p_kind IN (111, 112, 113, 114) AND p_elapsed_ms >= 5000 AND rate > plausible
$$;

-- Whoever stores an attempt, one faster than its class is in doubt.
CREATE FUNCTION qe_attempt_in_doubt() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT SET TimeZone FROM CURRENT
AS $$
BEGIN
    IF NEW.checked = 1 THEN
        NEW.doubt := qe_speed_doubt(NEW.class_name, NEW.kind, NEW.correct_units, NEW.elapsed_ms);
        IF NEW.doubt IS NOT NULL THEN
            NEW.checked := 2;
        END IF;
    END IF;
    RETURN NEW;
END
$$;
REVOKE ALL ON FUNCTION qe_attempt_in_doubt() FROM PUBLIC;
CREATE TRIGGER attempt_in_doubt BEFORE INSERT ON attempt
    FOR EACH ROW EXECUTE FUNCTION qe_attempt_in_doubt();

CREATE FUNCTION qe_mark_score_doubt() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT SET TimeZone FROM CURRENT
AS $$
BEGIN
    IF NEW.checked = 2 THEN
        INSERT INTO score_doubt (score_key) VALUES (NEW.score_key) ON CONFLICT DO NOTHING;
    ELSE
        DELETE FROM score_doubt WHERE score_key = NEW.score_key;
    END IF;
    RETURN NULL;
END
$$;
REVOKE ALL ON FUNCTION qe_mark_score_doubt() FROM PUBLIC;
CREATE TRIGGER attempt_marks_score AFTER INSERT OR UPDATE OF checked ON attempt
    FOR EACH ROW EXECUTE FUNCTION qe_mark_score_doubt();

-- An exam's result: the sitting's doubt (silence, machine-regular keys) and
-- the class's plausible speed both make it 可疑, in the sitting and in its
-- attempt alike.
DO $$
BEGIN
    PERFORM qe_rewrite_function(
        'qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer, '
        'integer, integer)',
        ARRAY[
        ['    v_flagged := CASE WHEN s.flag_reason IS NULL THEN 0 ELSE 1 END;',
         '    s.flag_reason := nullif(concat_ws('';'', s.flag_reason,' || chr(10) ||
         '        qe_speed_doubt((SELECT class FROM "user" WHERE qe_key = v_me), s.kind, v_correct,' || chr(10) ||
         '                       v_speed_ms)), '''');' || chr(10) ||
         '    v_flagged := CASE WHEN s.flag_reason IS NULL THEN 0 ELSE 1 END;'],
        ['                         backspace_presses, checked)',
         '                         backspace_presses, checked, doubt)'],
        ['ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END, 1)',
         'ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END,' || chr(10) ||
         '            1 + v_flagged, s.flag_reason)']]);
END
$$;

REVOKE ALL ON FUNCTION qe_school_year(text), qe_plausible_speed(text, integer),
    qe_speed_doubt(text, integer, integer, bigint) FROM PUBLIC;

-- The cells of an exam's report were typed since the program sent the
-- report before it, which it sent only once the one before that was
-- answered: the time they count against runs from that one. After a stall
-- the report held back meanwhile arrives, the next right behind it, and
-- what that one brings was typed over the stall.
DO $$
BEGIN
    PERFORM qe_rewrite_function(
        'qe_take_cells(bigint, integer, text[], text[], timestamp, boolean)',
        ARRAY[
        ['    v_since_ms bigint;',
         '    v_since_ms bigint;' || chr(10) || '    v_typing_ms bigint;'],
        ['    IF p_late THEN',
         '    v_typing_ms := floor(extract(epoch FROM (p_now - coalesce(' || chr(10) ||
         '        s.recent_reports[cardinality(s.recent_reports) - 1], s.started_at))) * 1000);' || chr(10) ||
         '    IF p_late THEN'],
        ['        ELSIF v_advance > 20 + v_rate * (v_since_ms + 2000) THEN' || chr(10) ||
         '            v_doubt := format(''%s秒内收到%s个字,超出常人的速度'', v_since_ms / 1000, v_advance);',
         '        ELSIF v_advance > 20 + v_rate * (v_typing_ms + 2000) THEN' || chr(10) ||
         '            v_doubt := format(''%s秒内收到%s个字,超出常人的速度'', v_typing_ms / 1000, v_advance);']]);
END
$$;

-- A teacher's confirmation: the result counts from now on. The number of
-- results it confirmed (0 when it was not in doubt).
CREATE FUNCTION qe_confirm_result(p_attempt bigint) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT SET TimeZone FROM CURRENT
AS $$
DECLARE
    v_count integer;
BEGIN
    UPDATE attempt SET checked = 1 WHERE id = p_attempt AND checked = 2;
    GET DIAGNOSTICS v_count = ROW_COUNT;
    UPDATE exam_sitting SET flagged = 0 WHERE attempt_id = p_attempt AND v_count > 0;
    RETURN v_count;
END
$$;
REVOKE ALL ON FUNCTION qe_confirm_result(bigint) FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON class_speed TO ' || teacher;
    EXECUTE 'GRANT SELECT ON score_doubt TO ' || base;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_confirm_result(bigint) TO ' || teacher;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_school_year(text), qe_plausible_speed(text, integer) TO '
            || teacher;
END
$$;
