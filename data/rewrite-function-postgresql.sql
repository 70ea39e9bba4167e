-- Made by the program around each server migration that rewrites a
-- function of an earlier version in place (one that calls it), in the
-- same transaction, and dropped after it: each pair of p_rewrites replaces
-- its first text, which must stand in the body, by its second; the upgrade
-- stops on a body it does not know.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

CREATE FUNCTION qe_rewrite_function(p_function text, p_rewrites text[]) RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_rewrite text[];
    v_def text := pg_get_functiondef(p_function::regprocedure);
BEGIN
    FOREACH v_rewrite SLICE 1 IN ARRAY p_rewrites LOOP
        IF position(v_rewrite[1] IN v_def) = 0 THEN
            RAISE EXCEPTION '% is not the function this upgrade knows', p_function;
        END IF;
        v_def := replace(v_def, v_rewrite[1], v_rewrite[2]);
    END LOOP;
    EXECUTE v_def;
END
$$;
