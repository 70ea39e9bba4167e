-- Version 21 on PostgreSQL: the daily goal (每日目标) a teacher sets.
--
-- A goal asks for minutes of practice a day and an accuracy to hold over
-- the day's practices. The row with the empty class name is the school's,
-- kept for every class without its own; without either the program's
-- default holds. Teachers set them; a pupil reads the school's and their
-- own class's, which 今日任务 shows.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

CREATE TABLE daily_goal (
    class_name text PRIMARY KEY CHECK (char_length(class_name) <= 100),
    minutes integer NOT NULL CHECK (minutes BETWEEN 1 AND 240),
    accuracy integer NOT NULL CHECK (accuracy BETWEEN 0 AND 100)
);

ALTER TABLE daily_goal ENABLE ROW LEVEL SECURITY;

DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT SELECT ON daily_goal TO ' || pupil;
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON daily_goal TO ' || teacher;
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON daily_goal FOR SELECT TO ' || pupil
            || ' USING (class_name = '''' OR class_name = (SELECT qe_my_class()))';
    EXECUTE 'CREATE POLICY teacher_keeps ON daily_goal FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
END
$$;
