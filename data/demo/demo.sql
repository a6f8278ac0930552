-- Reference data, operators and Requests of the demo installation.
BEGIN;

INSERT INTO Regioni (Regione, Descrizione) VALUES ('01', 'PIEMONTE');
INSERT INTO Province (PROV, DESPROV, SIGPROV, Regione) VALUES ('001', 'TORINO', 'TO', '01');
INSERT INTO Province (PROV, DESPROV, SIGPROV, Regione) VALUES ('005', 'ASTI', 'AT', '01');

INSERT INTO Comuni (CodComune, Denominazione, PROV, Cap, CodCatastale, CodIstat) VALUES
    ('001272', 'TORINO', '001', '10121', 'L219', '001272'),
    ('001156', 'MONCALIERI', '001', '10024', 'F335', '001156'),
    ('001191', 'PINEROLO', '001', '10064', 'G674', '001191'),
    ('001125', 'IVREA', '001', '10015', 'E379', '001125'),
    ('001078', 'CHIERI', '001', '10023', 'C627', '001078'),
    ('005005', 'ASTI', '005', '14100', 'A479', '005005');

INSERT INTO TipoOper (GrupOpe, TipoOper, Descrizione) VALUES
    ('A', '01', 'AGENZIA FORMATIVA'),
    ('B', '02', 'ENTE PUBBLICO'),
    ('C', '03', 'ISTITUTO SCOLASTICO');

INSERT INTO TipoCompo (TipoCompo, Descrizione) VALUES
    ('SL', 'SEDE LEGALE'),
    ('SO', 'SEDE OPERATIVA'),
    ('SA', 'SEDE AMMINISTRATIVA');

INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione, TipoOper, CodFisc, LegNome, LegComNasc, LegProvNasc,
                       LegGGNasc, LegMMNasc, LegAAAANasc, ProvCCIAA, CodCCIAA, AnnoCCIAA, AttEcono, Corrispondenza,
                       ContIBAN, ContDesBanca, ContAge, ContIndirAge, ContNumCC, ContIntCC) VALUES
    ('A', 12, 'CENTRO FORMAZIONE PROFESSIONALE SUBALPINO', '01', '97512340017', 'ROSSI MARIO', 'TORINO', 'TO',
     '10', '12', '1960', 'TO', '1234567', '1998', 85592, 1,
     'IT60X0542811101000000123456', 'BANCA DEMO', 'AG. 3', 'VIA ROMA 1 TORINO', '000000123456', 'CFP SUBALPINO'),
    ('B', 7, 'ISTITUTO TECNICO PER LA FORMAZIONE CONTINUA DEL PIEMONTE', '02', '80012340011', 'BIANCHI LAURA',
     'ASTI', 'AT', '03', '04', '1965', 'TO', '7654321', '2001', 85320, 1,
     'IT02L1234512345123456789012', 'CASSA DEMO', 'SEDE', 'CORSO FRANCIA 5 TORINO', '000000987654', 'ITFC'),
    ('C', 305, 'SCUOLA DI ARTI E MESTIERI', '03', '01234560019', 'VERDI GIUSEPPE', 'PINEROLO', 'TO',
     '21', '07', '1959', 'TO', '1112223', '1995', 85510, 1,
     '', '', '', '', '', '');

INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, CodComune, Cap, Indirizzo, Tel, Fax,
                        Cod_Quartiere, StatoEstero, CittaEstero, Email, Riferimento, ID_ATECO_2007) VALUES
    ('A', 12, 1, 'SL', 'CFP SUBALPINO - SEDE LEGALE', '001272', '10121', 'VIA GARIBALDI 10', '0115550101',
     '0115550102', 0, '', '', 'segreteria@cfp-subalpino.example', 'ROSSI MARIO', 855920),
    ('A', 12, 2, 'SO', 'CFP SUBALPINO - SEDE DI MONCALIERI', '001156', '10024', 'VIA SANTA CROCE 4', '0115550201',
     '', 0, '', '', '', '', 855920),
    ('A', 12, 3, 'SO', 'CFP SUBALPINO - SEDE DI PINEROLO', '001191', '10064', 'CORSO TORINO 77', '0121550301',
     '', 0, '', '', '', '', 855920),
    ('B', 7, 1, 'SL', 'ITFC - SEDE LEGALE', '001272', '10138', 'CORSO FRANCIA 5', '0115550401', '', 0, '', '',
     'info@itfc.example', 'BIANCHI LAURA', 853200),
    ('B', 7, 2, 'SO', 'ITFC - SEDE DI IVREA', '001125', '10015', 'VIA JERVIS 22', '0125550501', '', 0, '', '', '',
     '', 853200),
    ('B', 7, 3, 'SA', 'ITFC - UFFICI AMMINISTRATIVI', '001272', '10138', 'CORSO FRANCIA 7', '0115550601', '', 0,
     '', '', '', '', 853200),
    ('C', 305, 1, 'SL', 'SCUOLA DI ARTI E MESTIERI - SEDE LEGALE', '001191', '10064', 'PIAZZA FACTA 1',
     '0121550701', '', 0, '', '', 'scuola@artiemestieri.example', 'VERDI GIUSEPPE', 855100),
    ('C', 305, 2, 'SO', 'SCUOLA DI ARTI E MESTIERI - LABORATORI', '001078', '10023', 'VIA VITTORIO VENETO 3',
     '0119450801', '', 0, '', '', '', '', 855100),
    ('C', 305, 3, 'SO', 'SCUOLA DI ARTI E MESTIERI - SEDE DI TORINO', '001272', '10152', 'VIA CIGNA 96',
     '0115550901', '', 0, '', '', '', '', 855100);

INSERT INTO PromotoriSostenitori_Oper (GrupOpe, Operatore, Denominazione, TipoOper, CodFisc)
    SELECT GrupOpe, Operatore, Denominazione, TipoOper, CodFisc FROM CorsiOper;

-- Two Requests of the first operator, each a copy of its registry row and legal seat.
INSERT INTO Domande
    SELECT 1000101, o.GrupOpe, o.Operatore, '001', 1,
           o.Denominazione, o.TipoOper, o.CodFisc, o.LegNome, o.LegComNasc, o.LegProvNasc, o.LegGGNasc,
           o.LegMMNasc, o.LegAAAANasc, o.ProvCCIAA, o.CodCCIAA, o.AnnoCCIAA, o.AttEcono, o.Corrispondenza,
           o.ContIBAN, o.ContDesBanca, o.ContAge, o.ContIndirAge, o.ContNumCC, o.ContIntCC,
           c.Componente, c.TipoCompo, c.Denominazione, c.CodComune, c.Cap, c.Indirizzo, c.Tel, c.Fax,
           c.Cod_Quartiere, c.StatoEstero, c.CittaEstero, c.Email, c.Riferimento,
           '', '', '', '', '', '', '', 0, 0, 0, 0, 0, 0, 0, 0,
           NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0, 0
    FROM CorsiOper o JOIN CorsiCompo c
        ON c.GrupOpe = o.GrupOpe AND c.Operatore = o.Operatore AND c.TipoCompo = 'SL'
    WHERE o.GrupOpe = 'A' AND o.Operatore = 12;
INSERT INTO Domande
    SELECT 1000102, GrupOpe, Operatore, PROV, 2,
           DenominazioneOp, TipoOper, CodFisc, LegNome, LegComNasc, LegProvNasc, LegGGNasc, LegMMNasc, LegAAAANasc,
           ProvCCIAA, CodCCIAA, AnnoCCIAA, AttEcono, Corrispondenza, ContIBAN, ContDesBanca, ContAge,
           ContIndirAge, ContNumCC, ContIntCC, Componente, TipoCompo, DenominazioneSL, CodComune, Cap, Indirizzo,
           Tel, Fax, Cod_Quartiere, StatoEstero, CittaEstero, EMail, Riferimento,
           '', '', '', '', '', '', '', 0, 0, 0, 0, 0, 0, 0, 0,
           NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0, 0
    FROM Domande WHERE NumDoma = 1000101;

INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel, GruppoOperatore,
                   CodiceOperatore, Sede, Ruolo) VALUES
    (1000101, 'RSSMRA85T10A562S', 'ROSSI', 'MARIO', '10', '12', '1985', 'mario.rossi@cfp-subalpino.example',
     '0115550101', 'A', 12, 0, 1),
    (1000101, 'RSSMRA85T10A562S', 'ROSSI', 'MARIO', '10', '12', '1985', 'mario.rossi@cfp-subalpino.example',
     '0115550101', 'A', 12, 2, 2),
    (1000101, 'BNCLRA78D43L219O', 'BIANCHI', 'LAURA', '03', '04', '1978', 'laura.bianchi@cfp-subalpino.example',
     '0115550102', 'A', 12, 0, 5),
    (1000101, 'VRDGPP69L21L219W', 'VERDI', 'GIUSEPPE', '21', '07', '1969', 'g.verdi@cfp-subalpino.example',
     '0115550201', 'A', 12, 2, 3),
    (1000101, 'CLMFNC82S08L219V', 'COLOMBO', 'FRANCESCO', '08', '11', '1982', 'f.colombo@cfp-subalpino.example',
     '0121550301', 'A', 12, 3, 4);

COMMIT;
