-- Version 9 on SQLite: the live view of the lab (课堂监控). Each pupil's
-- program keeps one row of what it is doing, replaced at every report, so
-- that the table holds one row per pupil however long the lesson; and an
-- exam the teacher ended for everybody.

CREATE TABLE live_progress (
    user_key INTEGER PRIMARY KEY,
    user_name TEXT NOT NULL,
    class_name TEXT NOT NULL,
    activity INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    exam_id INTEGER,
    label TEXT NOT NULL,
    screen_units INTEGER NOT NULL,
    typed_units INTEGER NOT NULL,
    correct_units INTEGER NOT NULL,
    elapsed_ms INTEGER NOT NULL,
    idle_ms INTEGER NOT NULL,
    focus_lost INTEGER NOT NULL,
    end_reason INTEGER NOT NULL,
    reported_at TEXT NOT NULL
);

CREATE INDEX live_progress_by_class ON live_progress (class_name);

CREATE TABLE exam_stop (
    exam_id INTEGER PRIMARY KEY,
    stopped_at TEXT NOT NULL
);
