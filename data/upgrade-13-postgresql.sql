-- Version 13: lessons typed by codes (the 五笔 course, the 词组 lessons)
-- count characters, not keys: what the server lets a pupil store of them
-- is bounded by what a person types, 250 characters a minute, as a Chinese
-- practice is.

-- What a lesson's keys count: '键' keys, '字' characters (filled by the
-- program with the owner's rights, as the rest of the lesson).
ALTER TABLE course_lesson ADD COLUMN unit text NOT NULL DEFAULT '键';

-- A lesson of characters stored faster than a person types them is
-- refused, whoever stores it.
CREATE FUNCTION qe_lesson_at_human_speed() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM course_lesson c
               WHERE c.course = NEW.course AND c.lesson = NEW.lesson AND c.unit = '字'
                 AND NEW.correct_keys > 20 + 250 * NEW.elapsed_ms / 60000.0) THEN
        RAISE EXCEPTION '这一课比人能打的还快(每分钟超过250字),不能保存。' USING ERRCODE = 'QE201';
    END IF;
    RETURN NEW;
END
$$;
REVOKE ALL ON FUNCTION qe_lesson_at_human_speed() FROM PUBLIC;
CREATE TRIGGER lesson_attempt_at_human_speed BEFORE INSERT ON lesson_attempt
    FOR EACH ROW EXECUTE FUNCTION qe_lesson_at_human_speed();
