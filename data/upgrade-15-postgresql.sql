-- Version 15 on PostgreSQL: a lesson's attempt keeps the unit its speed
-- counts (键 for the keys of 指法, 字 for a lesson typed by codes), so that
-- every list names it as the lesson's result did. The server takes it from
-- its own lessons, whoever stores the attempt; the attempts stored before
-- are given their lesson's: all of 五笔, 拼音 7 to 10 (词组).
ALTER TABLE lesson_attempt ADD COLUMN unit text NOT NULL DEFAULT '键';
UPDATE lesson_attempt SET unit = '字'
WHERE course = 'wubi' OR (course = 'pinyin' AND lesson BETWEEN 7 AND 10);

CREATE FUNCTION qe_lesson_attempt_unit() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT AS $$
BEGIN
    NEW.unit := coalesce((SELECT c.unit FROM course_lesson c
                          WHERE c.course = NEW.course AND c.lesson = NEW.lesson), NEW.unit);
    RETURN NEW;
END
$$;
REVOKE ALL ON FUNCTION qe_lesson_attempt_unit() FROM PUBLIC;
CREATE TRIGGER lesson_attempt_unit BEFORE INSERT OR UPDATE OF unit, course, lesson
ON lesson_attempt FOR EACH ROW EXECUTE FUNCTION qe_lesson_attempt_unit();
