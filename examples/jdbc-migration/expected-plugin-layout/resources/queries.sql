-- Queries the application runs, kept for the DBA.
select name, NVL(count, 0) from items;
