-- Grows the demo installation to 10,000 operators, 30,000 sites and 2,000 Requests.
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000)
INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione, TipoOper, CodFisc, LegNome, LegComNasc, LegProvNasc,
                       LegGGNasc, LegMMNasc, LegAAAANasc, AttEcono, Corrispondenza)
SELECT 'D', 1000 + i, 'OPERATORE DI PROVA N. ' || i, '01', printf('%011d', i), 'RAPPRESENTANTE ' || i, 'TORINO',
       'TO', '01', '01', '1970', 85592, 1
FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000),
     s(k) AS (VALUES (1), (2), (3))
INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, CodComune, Cap, Indirizzo, Tel,
                        Fax, Cod_Quartiere, StatoEstero, CittaEstero, Email, Riferimento, ID_ATECO_2007)
SELECT 'D', 1000 + i, k, CASE k WHEN 1 THEN 'SL' ELSE 'SO' END, 'SEDE ' || k || ' DELL''OPERATORE ' || i, '001272',
       '10121', 'VIA DI PROVA ' || i, '011555' || printf('%04d', k), '', 0, '', '', '', '', 855920
FROM n, s;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, DenominazioneOp, Componente, TipoCompo,
                     DenominazioneSL)
SELECT 2000000 + i, 'D', 1000 + (i % 10000), '001', 1 + i / 10000, 'OPERATORE DI PROVA N. ' || (i % 10000), 1, 'SL',
       'SEDE 1'
FROM n;
COMMIT;
