-- Version 10 on SQLite: assignments (作业). A teacher sets work for some
-- classes: a range of course lessons, a screen of a library text, or a
-- drill of one's own mistakes, with a target, the number of attempts that
-- must meet it and the days it runs. What a pupil has done is read from the
-- attempts themselves; nothing is written when a pupil types.

CREATE TABLE assignment (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    title TEXT NOT NULL,
    task INTEGER NOT NULL,
    course TEXT NOT NULL,
    lesson_from INTEGER NOT NULL,
    lesson_to INTEGER NOT NULL,
    text_id INTEGER REFERENCES practice_text (id),
    screen INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    min_speed REAL NOT NULL,
    min_accuracy INTEGER NOT NULL,
    passes INTEGER NOT NULL,
    starts_on TEXT NOT NULL,
    due_on TEXT NOT NULL,
    created_at TEXT NOT NULL
);

CREATE INDEX assignment_by_text ON assignment (text_id);

CREATE TABLE assignment_class (
    assignment_id INTEGER NOT NULL REFERENCES assignment (id) ON DELETE CASCADE,
    class_name TEXT NOT NULL,
    PRIMARY KEY (assignment_id, class_name)
);

CREATE INDEX assignment_class_by_class ON assignment_class (class_name, assignment_id);

-- A text's screen's attempts, for an assignment on it.
CREATE INDEX attempt_text_by_screen ON attempt_text (text_id, screen, attempt_id);
