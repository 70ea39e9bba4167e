-- Version 7 on SQLite: the typing course. A lesson is no practice of the
-- score table: each finished lesson is kept in a table of its own, with
-- the keys missed in it, and a teacher's thresholds for a class.

CREATE TABLE lesson_attempt (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    user_key INTEGER NOT NULL,
    user_name TEXT NOT NULL,
    class_name TEXT NOT NULL,
    student_no TEXT NOT NULL,
    kind INTEGER NOT NULL,
    course TEXT NOT NULL,
    lesson INTEGER NOT NULL,
    started_at TEXT NOT NULL,
    ended_at TEXT NOT NULL,
    elapsed_ms INTEGER NOT NULL,
    keystrokes INTEGER NOT NULL,
    correct_keys INTEGER NOT NULL,
    errors INTEGER NOT NULL,
    backspaces INTEGER NOT NULL,
    stars INTEGER NOT NULL,
    passed INTEGER NOT NULL
);

-- A pupil's lessons of one course, and a pupil's list newest first.
CREATE INDEX lesson_attempt_by_user ON lesson_attempt (user_key, course, lesson, started_at);
CREATE INDEX lesson_attempt_by_time ON lesson_attempt (user_key, started_at, id);

-- How often a key was missed in a lesson and what was typed instead;
-- user_key repeats the attempt's, so that a pupil's misses are counted from
-- the index alone.
CREATE TABLE lesson_miss (
    attempt_id INTEGER NOT NULL REFERENCES lesson_attempt (id) ON DELETE CASCADE,
    user_key INTEGER NOT NULL,
    expected TEXT NOT NULL,
    typed TEXT NOT NULL,
    times INTEGER NOT NULL,
    PRIMARY KEY (attempt_id, expected, typed)
) WITHOUT ROWID;

CREATE INDEX lesson_miss_by_user ON lesson_miss (user_key, expected, typed);

-- A class's own thresholds: accuracy 0 keeps each lesson's own, the speed
-- asked is speed_percent of each lesson's; all_open opens every lesson.
CREATE TABLE course_class (
    class_name TEXT NOT NULL PRIMARY KEY,
    accuracy INTEGER NOT NULL,
    speed_percent INTEGER NOT NULL,
    all_open INTEGER NOT NULL
);
