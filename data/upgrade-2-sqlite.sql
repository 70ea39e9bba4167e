-- Version 2 on SQLite: every stored practice in full, beside its score row.
-- An attempt belongs to its score row and its mistyped cells to the
-- attempt: deleting a score row takes both with it.

CREATE TABLE attempt (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    score_key INTEGER NOT NULL UNIQUE REFERENCES score (qe_key) ON DELETE CASCADE,
    user_key INTEGER NOT NULL,
    user_name TEXT NOT NULL,
    class_name TEXT NOT NULL,
    student_no TEXT NOT NULL,
    kind INTEGER NOT NULL,
    text_file TEXT NOT NULL,
    text_hash TEXT NOT NULL,
    started_at TEXT NOT NULL,
    ended_at TEXT NOT NULL,
    elapsed_ms INTEGER NOT NULL,
    typed_units INTEGER NOT NULL,
    correct_units INTEGER NOT NULL,
    backspaces INTEGER NOT NULL,
    end_reason INTEGER NOT NULL
);

-- A pupil's list, newest first, read from the index alone.
CREATE INDEX attempt_by_user
    ON attempt (user_key, started_at, id, kind, elapsed_ms, typed_units, correct_units);

-- user_key and kind repeat the attempt's, so that a pupil's mistakes of one
-- kind are counted from the index alone.
CREATE TABLE attempt_mistake (
    attempt_id INTEGER NOT NULL REFERENCES attempt (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    user_key INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    expected TEXT NOT NULL,
    typed TEXT NOT NULL,
    PRIMARY KEY (attempt_id, position)
) WITHOUT ROWID;

CREATE INDEX attempt_mistake_by_user ON attempt_mistake (user_key, kind, expected, typed);
