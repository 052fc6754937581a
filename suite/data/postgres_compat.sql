-- Run on a PostgreSQL server only, before the schema. The component's queries were written for
-- a server that, like SQLite, reads numbers and dates as text where text is wanted: under
-- lower() and upper(), and on the left of LIKE (ILIKE once translated). PostgreSQL has no such
-- casts, so these functions and operators give it them for the column types of the schema.
DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['smallint', 'integer', 'numeric', 'date'] LOOP
        EXECUTE format('CREATE FUNCTION lower(%s) RETURNS text LANGUAGE sql IMMUTABLE '
                       'AS ''SELECT lower($1::text)''', t);
        EXECUTE format('CREATE FUNCTION upper(%s) RETURNS text LANGUAGE sql IMMUTABLE '
                       'AS ''SELECT upper($1::text)''', t);
        EXECUTE format('CREATE FUNCTION tarvo_like(%s, text) RETURNS boolean LANGUAGE sql '
                       'IMMUTABLE AS ''SELECT $1::text LIKE $2''', t);
        EXECUTE format('CREATE FUNCTION tarvo_not_like(%s, text) RETURNS boolean LANGUAGE sql '
                       'IMMUTABLE AS ''SELECT $1::text NOT LIKE $2''', t);
        EXECUTE format('CREATE FUNCTION tarvo_ilike(%s, text) RETURNS boolean LANGUAGE sql '
                       'IMMUTABLE AS ''SELECT $1::text ILIKE $2''', t);
        EXECUTE format('CREATE FUNCTION tarvo_not_ilike(%s, text) RETURNS boolean LANGUAGE sql '
                       'IMMUTABLE AS ''SELECT $1::text NOT ILIKE $2''', t);
        EXECUTE format('CREATE OPERATOR ~~ (LEFTARG = %s, RIGHTARG = text, '
                       'FUNCTION = tarvo_like)', t);
        EXECUTE format('CREATE OPERATOR !~~ (LEFTARG = %s, RIGHTARG = text, '
                       'FUNCTION = tarvo_not_like)', t);
        EXECUTE format('CREATE OPERATOR ~~* (LEFTARG = %s, RIGHTARG = text, '
                       'FUNCTION = tarvo_ilike)', t);
        EXECUTE format('CREATE OPERATOR !~~* (LEFTARG = %s, RIGHTARG = text, '
                       'FUNCTION = tarvo_not_ilike)', t);
    END LOOP;
END
$$;
