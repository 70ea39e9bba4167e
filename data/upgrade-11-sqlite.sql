-- Version 11 on SQLite: what the lab's server (PostgreSQL) keeps for its
-- trust, in the form a file's program reads it. On one machine whoever may
-- write the file may change it; the program writes these itself.

-- An exam's kind, so that a pupil's list of exams needs no text.
ALTER TABLE exam ADD COLUMN kind INTEGER;
UPDATE exam SET kind = (SELECT kind FROM practice_text t WHERE t.id = exam.text_id);

-- Whether an attempt counts for assignments and the course's lessons: on a
-- server only what the server scored; in a file every attempt.
ALTER TABLE attempt ADD COLUMN checked INTEGER NOT NULL DEFAULT 1;
ALTER TABLE lesson_attempt ADD COLUMN checked INTEGER NOT NULL DEFAULT 1;

-- Why a sitting was marked 可疑 (the server's reason; none in a file but
-- the rhythm of the keys).
ALTER TABLE exam_sitting ADD COLUMN flag_reason TEXT;
