-- Version 3 on SQLite: the texts a teacher keeps for the whole lab, the
-- timed exams set on them, each pupil's sittings of an exam, and the text,
-- screen and exam an attempt was typed on.

CREATE TABLE practice_text (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    title TEXT NOT NULL,
    kind INTEGER NOT NULL,
    body TEXT NOT NULL,
    updated_at TEXT NOT NULL
);

-- An exam keeps its text: a text in use by an exam cannot be deleted.
CREATE TABLE exam (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    title TEXT NOT NULL,
    text_id INTEGER NOT NULL REFERENCES practice_text (id),
    screen INTEGER NOT NULL,
    minutes INTEGER NOT NULL,
    backspace_allowed INTEGER NOT NULL,
    retake_allowed INTEGER NOT NULL,
    is_open INTEGER NOT NULL,
    created_at TEXT NOT NULL
);

CREATE INDEX exam_by_text ON exam (text_id);

CREATE TABLE exam_class (
    exam_id INTEGER NOT NULL REFERENCES exam (id) ON DELETE CASCADE,
    class_name TEXT NOT NULL,
    PRIMARY KEY (exam_id, class_name)
) WITHOUT ROWID;

CREATE INDEX exam_class_by_class ON exam_class (class_name, exam_id);

-- One row per start of an exam by a pupil, running until its result is
-- stored. uid is made by the pupil's program, so that a result kept there
-- while the database was away is stored exactly once. The figures are the
-- sitting's own: clearing scores does not clear exam results. exam_id has
-- no reference: a result that arrives after its exam was deleted still
-- finds its uid.
CREATE TABLE exam_sitting (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    uid TEXT NOT NULL UNIQUE,
    exam_id INTEGER NOT NULL,
    user_key INTEGER NOT NULL,
    started_at TEXT NOT NULL,
    finished INTEGER NOT NULL,
    ended_at TEXT,
    kind INTEGER,
    elapsed_ms INTEGER,
    typed_units INTEGER,
    correct_units INTEGER,
    end_reason INTEGER,
    focus_losses INTEGER NOT NULL,
    attempt_id INTEGER REFERENCES attempt (id) ON DELETE SET NULL
);

CREATE INDEX exam_sitting_by_exam ON exam_sitting (exam_id, user_key);
CREATE INDEX exam_sitting_by_attempt ON exam_sitting (attempt_id);

-- The stored text and screen an attempt was typed on, and its exam.
CREATE TABLE attempt_text (
    attempt_id INTEGER PRIMARY KEY REFERENCES attempt (id) ON DELETE CASCADE,
    text_id INTEGER REFERENCES practice_text (id) ON DELETE SET NULL,
    screen INTEGER NOT NULL,
    exam_id INTEGER REFERENCES exam (id) ON DELETE SET NULL
);

CREATE INDEX attempt_text_by_text ON attempt_text (text_id);
CREATE INDEX attempt_text_by_exam ON attempt_text (exam_id);
