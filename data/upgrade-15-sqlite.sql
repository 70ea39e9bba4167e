-- Version 15 on SQLite: a lesson's attempt keeps the unit its speed counts
-- (键 for the keys of 指法, 字 for a lesson typed by codes), so that every
-- list names it as the lesson's result did. The attempts stored before are
-- given the unit of their lesson: all of 五笔, 拼音 7 to 10 (词组).
ALTER TABLE lesson_attempt ADD COLUMN unit TEXT NOT NULL DEFAULT '键';
UPDATE lesson_attempt SET unit = '字'
WHERE course = 'wubi' OR (course = 'pinyin' AND lesson BETWEEN 7 AND 10);
