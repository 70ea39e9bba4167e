-- Version 16: the server's rules say what the program's say.
-- An exam sitting's accuracy is qe_accuracy, as every other stored figure's
-- (the sitting's store wrote the same quotient out on its own); a name or
-- class of nothing but combining marks shows nothing, as the program says
-- (the marks of the common combining blocks count as blank). Each function
-- keeps its body but for that one expression, rewritten only where it is
-- the text an earlier version wrote: the upgrade stops on anything else.
DO $$
DECLARE
    v_rewrites constant text[] := ARRAY[
        ['qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer, '
         'integer, integer)',
         'CASE WHEN v_typed = 0 THEN 0 ELSE (v_correct * 100) / v_typed END',
         'qe_accuracy(v_correct, v_typed)'],
        ['qe_check_account_text(text, text, boolean)',
         '\uffa0\u2800]',
         '\uffa0\u2800\u0300-\u036f\u0483-\u0489\u1ab0-\u1aff\u1dc0-\u1dff\u20d0-\u20ff'
         '\u302a-\u302f\u3099\u309a\ufe20-\ufe2f]']];
    v_rewrite text[];
    v_def text;
BEGIN
    FOREACH v_rewrite SLICE 1 IN ARRAY v_rewrites LOOP
        v_def := pg_get_functiondef(v_rewrite[1]::regprocedure);
        IF position(v_rewrite[2] IN v_def) = 0 THEN
            RAISE EXCEPTION '% is not the function this upgrade knows', v_rewrite[1];
        END IF;
        EXECUTE replace(v_def, v_rewrite[2], v_rewrite[3]);
    END LOOP;
END
$$;

-- A name's length counts a character GBK cannot hold as the one byte ('?')
-- the program counts, not as its bytes of UTF-8.
CREATE OR REPLACE FUNCTION qe_gbk_bytes(p_text text) RETURNS integer
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
DECLARE
    v_bytes integer := 0;
    v_char text;
BEGIN
    RETURN octet_length(convert_to(p_text, 'GBK'));
EXCEPTION WHEN OTHERS THEN
    -- Character by character, as far as any limit reaches.
    FOREACH v_char IN ARRAY regexp_split_to_array(left(p_text, 400), '') LOOP
        BEGIN
            v_bytes := v_bytes + octet_length(convert_to(v_char, 'GBK'));
        EXCEPTION WHEN OTHERS THEN
            v_bytes := v_bytes + 1;
        END;
    END LOOP;
    RETURN v_bytes + greatest(char_length(p_text) - 400, 0);
END
$$;
