-- Version 6 on PostgreSQL: the typing course. A lesson is no practice of the
-- score table: each finished lesson is kept in a table of its own, with
-- the keys missed in it, and a teacher's thresholds for a class.

CREATE TABLE lesson_attempt (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    user_key bigint NOT NULL,
    user_name text NOT NULL,
    class_name text NOT NULL,
    student_no text NOT NULL,
    kind integer NOT NULL,
    course text NOT NULL,
    lesson integer NOT NULL,
    started_at timestamp(3) NOT NULL,
    ended_at timestamp(3) NOT NULL,
    elapsed_ms bigint NOT NULL,
    keystrokes integer NOT NULL,
    correct_keys integer NOT NULL,
    errors integer NOT NULL,
    backspaces integer NOT NULL,
    stars integer NOT NULL,
    passed integer NOT NULL
);

-- A pupil's lessons of one course, and a pupil's list newest first.
CREATE INDEX lesson_attempt_by_user ON lesson_attempt (user_key, course, lesson, started_at);
CREATE INDEX lesson_attempt_by_time ON lesson_attempt (user_key, started_at, id);

-- How often a key was missed in a lesson and what was typed instead;
-- user_key repeats the attempt's, so that a pupil's misses are counted from
-- the index alone.
CREATE TABLE lesson_miss (
    attempt_id bigint NOT NULL REFERENCES lesson_attempt (id) ON DELETE CASCADE,
    user_key bigint NOT NULL,
    expected text NOT NULL,
    typed text NOT NULL,
    times integer NOT NULL,
    PRIMARY KEY (attempt_id, expected, typed)
);

CREATE INDEX lesson_miss_by_user ON lesson_miss (user_key, expected, typed);

-- A class's own thresholds: accuracy 0 keeps each lesson's own, the speed
-- asked is speed_percent of each lesson's; all_open opens every lesson.
CREATE TABLE course_class (
    class_name text NOT NULL PRIMARY KEY,
    accuracy integer NOT NULL,
    speed_percent integer NOT NULL,
    all_open integer NOT NULL
);
