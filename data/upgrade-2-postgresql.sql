-- Version 2 on PostgreSQL: every stored practice in full, beside its score
-- row. An attempt belongs to its score row and its mistyped cells to the
-- attempt: deleting a score row takes both with it.

CREATE TABLE attempt (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    score_key bigint NOT NULL UNIQUE REFERENCES score (qe_key) ON DELETE CASCADE,
    user_key bigint NOT NULL,
    user_name text NOT NULL,
    class_name text NOT NULL,
    student_no text NOT NULL,
    kind integer NOT NULL,
    text_file text NOT NULL,
    text_hash text NOT NULL,
    started_at timestamp(3) NOT NULL,
    ended_at timestamp(3) NOT NULL,
    elapsed_ms bigint NOT NULL,
    typed_units integer NOT NULL,
    correct_units integer NOT NULL,
    backspaces integer NOT NULL,
    end_reason integer NOT NULL
);

-- A pupil's list, newest first, read from the index alone.
CREATE INDEX attempt_by_user ON attempt (user_key, started_at, id)
    INCLUDE (kind, elapsed_ms, typed_units, correct_units);

-- user_key and kind repeat the attempt's, so that a pupil's mistakes of one
-- kind are counted from the index alone.
CREATE TABLE attempt_mistake (
    attempt_id bigint NOT NULL REFERENCES attempt (id) ON DELETE CASCADE,
    position integer NOT NULL,
    user_key bigint NOT NULL,
    kind integer NOT NULL,
    expected text NOT NULL,
    typed text NOT NULL,
    PRIMARY KEY (attempt_id, position)
);

CREATE INDEX attempt_mistake_by_user ON attempt_mistake (user_key, kind, expected, typed);
