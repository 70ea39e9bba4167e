-- Version 12: what the keys behind an attempt tell, kept beside it instead
-- of the keys themselves.

-- Per key of a US keyboard ("a", ";", " "), or two letters typed one after
-- the other ("th", timed only): how often it was the key to type, how
-- often it was pressed, how often where another was expected, and the
-- median time from the key before over its right presses (NULL: none).
CREATE TABLE attempt_key (
    attempt_id INTEGER NOT NULL REFERENCES attempt (id) ON DELETE CASCADE,
    user_key INTEGER NOT NULL,
    key_name TEXT NOT NULL,
    expected INTEGER NOT NULL,
    presses INTEGER NOT NULL,
    wrong INTEGER NOT NULL,
    median_ms INTEGER,
    PRIMARY KEY (attempt_id, key_name)
);
CREATE INDEX attempt_key_by_user ON attempt_key (user_key, key_name);

-- Per input-method commit of a Chinese practice, in order: the text it was
-- to type, the text committed, the keys pressed for it as shown ("wo␣") and
-- how many (NULL: the platform does not show them), the time from the
-- commit before, and how the candidate was chosen (0 the first, 1 by a
-- digit, 2 after an arrow or page key).
CREATE TABLE attempt_commit (
    attempt_id INTEGER NOT NULL REFERENCES attempt (id) ON DELETE CASCADE,
    user_key INTEGER NOT NULL,
    position INTEGER NOT NULL,
    expected TEXT NOT NULL,
    committed TEXT NOT NULL,
    keys_typed TEXT NOT NULL,
    key_count INTEGER,
    elapsed_ms INTEGER NOT NULL,
    picked INTEGER NOT NULL,
    PRIMARY KEY (attempt_id, position)
);
CREATE INDEX attempt_commit_by_user ON attempt_commit (user_key, expected);

-- The same per key for a lesson of the course.
CREATE TABLE lesson_key (
    lesson_attempt_id INTEGER NOT NULL REFERENCES lesson_attempt (id) ON DELETE CASCADE,
    user_key INTEGER NOT NULL,
    key_name TEXT NOT NULL,
    expected INTEGER NOT NULL,
    presses INTEGER NOT NULL,
    wrong INTEGER NOT NULL,
    median_ms INTEGER,
    PRIMARY KEY (lesson_attempt_id, key_name)
);
CREATE INDEX lesson_key_by_user ON lesson_key (user_key, key_name);

-- The keys of practices and lessons alike, by the pupil, when and where
-- from (lesson 1: source_id is a lesson_attempt's).
CREATE VIEW key_figures AS
    SELECT a.user_key, a.started_at, 0 AS lesson, a.id AS source_id, k.key_name, k.expected,
           k.presses, k.wrong, k.median_ms
    FROM attempt a JOIN attempt_key k ON k.attempt_id = a.id
    UNION ALL
    SELECT l.user_key, l.started_at, 1, l.id, k.key_name, k.expected, k.presses, k.wrong,
           k.median_ms
    FROM lesson_attempt l JOIN lesson_key k ON k.lesson_attempt_id = l.id;
