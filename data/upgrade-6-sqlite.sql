-- Version 6 on SQLite: exam figures computed from what was typed, one
-- running sitting per pupil and exam, results set aside kept for the
-- teacher, and the rhythm of the keys. The passwords are hashed by the
-- program in the same transaction (see SchemaUpgrade).

-- The exam's screen as its cells (GBK bytes in hex, joined by commas) and
-- the same cells as text (a JSON array): what a result is scored against.
ALTER TABLE exam ADD COLUMN screen_cells TEXT;
ALTER TABLE exam ADD COLUMN screen_texts TEXT;

-- A kept result is checked against the exam's text and clock now; the key
-- that sealed it protected nothing from the pupil who ran the program.
ALTER TABLE exam_sitting DROP COLUMN seal_key;
-- finished: 0 running, 1 stored, 2 ended without a result (中断).
-- late: the result arrived after the time allowed (补交).
ALTER TABLE exam_sitting ADD COLUMN late INTEGER NOT NULL DEFAULT 0;
-- The time the speed is measured over: the time allowed, unless the whole
-- screen was typed before it.
ALTER TABLE exam_sitting ADD COLUMN speed_ms INTEGER;
ALTER TABLE exam_sitting ADD COLUMN key_median_ms INTEGER;
ALTER TABLE exam_sitting ADD COLUMN key_spread_ms INTEGER;
ALTER TABLE exam_sitting ADD COLUMN flagged INTEGER NOT NULL DEFAULT 0;

-- Two copies of one pupil could each start a sitting; all but the latest
-- running one of each pupil and exam end without a result.
UPDATE exam_sitting SET finished = 2
WHERE finished = 0 AND id NOT IN (
    SELECT MAX(id) FROM exam_sitting WHERE finished = 0 GROUP BY exam_id, user_key);

CREATE UNIQUE INDEX exam_sitting_one_running ON exam_sitting (exam_id, user_key)
    WHERE finished = 0;

-- A result that could not be stored, and why; the teacher sees it.
CREATE TABLE exam_refusal (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    uid TEXT NOT NULL,
    exam_id INTEGER,
    user_key INTEGER NOT NULL,
    reason TEXT NOT NULL,
    refused_at TEXT NOT NULL
);

CREATE INDEX exam_refusal_by_exam ON exam_refusal (exam_id, user_key);

-- The median and the spread (median absolute deviation) of the intervals
-- between keys, in milliseconds: machine-regular typing shows here.
ALTER TABLE attempt ADD COLUMN key_median_ms INTEGER;
ALTER TABLE attempt ADD COLUMN key_spread_ms INTEGER;
