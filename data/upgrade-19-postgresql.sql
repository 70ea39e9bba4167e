-- Version 19 on PostgreSQL: the grades (等级) a teacher sets.
--
-- A grade rule asks, for one practice kind, a speed (in the kind's own
-- unit: 字/分, WPM or CPM) and an accuracy for 优秀, 良好 and 及格; a result
-- that meets none of them is 不及格. The row with the empty class name is
-- the school's, kept for every class without its own; a kind without
-- either row uses the program's defaults. Teachers set and read them; a
-- pupil's program neither needs nor may.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

CREATE TABLE grade_rule (
    class_name text NOT NULL CHECK (char_length(class_name) <= 100),
    kind integer NOT NULL CHECK (kind BETWEEN 111 AND 114),
    excellent_speed integer NOT NULL,
    excellent_accuracy integer NOT NULL,
    good_speed integer NOT NULL,
    good_accuracy integer NOT NULL,
    pass_speed integer NOT NULL,
    pass_accuracy integer NOT NULL,
    PRIMARY KEY (class_name, kind),
    CHECK (pass_speed BETWEEN 1 AND 2000 AND good_speed BETWEEN pass_speed AND 2000
           AND excellent_speed BETWEEN good_speed AND 2000),
    CHECK (pass_accuracy BETWEEN 0 AND 100 AND good_accuracy BETWEEN pass_accuracy AND 100
           AND excellent_accuracy BETWEEN good_accuracy AND 100)
);

DO $$
BEGIN
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON grade_rule TO '
            || quote_ident(qe_role('teacher'));
END
$$;
