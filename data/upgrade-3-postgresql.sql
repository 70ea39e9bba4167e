-- Version 3 on PostgreSQL: the texts a teacher keeps for the whole lab, the
-- timed exams set on them, each pupil's sittings of an exam, and the text,
-- screen and exam an attempt was typed on.

CREATE TABLE practice_text (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    title text NOT NULL,
    kind integer NOT NULL,
    body text NOT NULL,
    updated_at timestamp(3) NOT NULL
);

-- An exam keeps its text: a text in use by an exam cannot be deleted.
CREATE TABLE exam (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    title text NOT NULL,
    text_id bigint NOT NULL REFERENCES practice_text (id),
    screen integer NOT NULL,
    minutes integer NOT NULL,
    backspace_allowed integer NOT NULL,
    retake_allowed integer NOT NULL,
    is_open integer NOT NULL,
    created_at timestamp(3) NOT NULL
);

CREATE INDEX exam_by_text ON exam (text_id);

CREATE TABLE exam_class (
    exam_id bigint NOT NULL REFERENCES exam (id) ON DELETE CASCADE,
    class_name text NOT NULL,
    PRIMARY KEY (exam_id, class_name)
);

CREATE INDEX exam_class_by_class ON exam_class (class_name, exam_id);

-- One row per start of an exam by a pupil, running until its result is
-- stored. uid is made by the pupil's program, so that a result kept there
-- while the database was away is stored exactly once. The figures are the
-- sitting's own: clearing scores does not clear exam results. exam_id has
-- no reference: a result that arrives after its exam was deleted still
-- finds its uid.
CREATE TABLE exam_sitting (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    uid text NOT NULL UNIQUE,
    exam_id bigint NOT NULL,
    user_key bigint NOT NULL,
    started_at timestamp(3) NOT NULL,
    finished integer NOT NULL,
    ended_at timestamp(3),
    kind integer,
    elapsed_ms bigint,
    typed_units integer,
    correct_units integer,
    end_reason integer,
    focus_losses integer NOT NULL,
    attempt_id bigint REFERENCES attempt (id) ON DELETE SET NULL
);

CREATE INDEX exam_sitting_by_exam ON exam_sitting (exam_id, user_key);
CREATE INDEX exam_sitting_by_attempt ON exam_sitting (attempt_id);

-- The stored text and screen an attempt was typed on, and its exam.
CREATE TABLE attempt_text (
    attempt_id bigint PRIMARY KEY REFERENCES attempt (id) ON DELETE CASCADE,
    text_id bigint REFERENCES practice_text (id) ON DELETE SET NULL,
    screen integer NOT NULL,
    exam_id bigint REFERENCES exam (id) ON DELETE SET NULL
);

CREATE INDEX attempt_text_by_text ON attempt_text (text_id);
CREATE INDEX attempt_text_by_exam ON attempt_text (exam_id);
