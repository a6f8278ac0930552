-- The Requests of the demo installation, with their persons and roles.
BEGIN;

-- Two Requests of operator A-12. The decode tables come from the files an installation is
-- delivered with, and the operators from the region's registry at the first start; a Request
-- carries its own copy of its operator's registry row and legal seat, as when it was created.
INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda,
                     DenominazioneOp, TipoOper, CodFisc, LegNome, LegComNasc, LegProvNasc, LegGGNasc, LegMMNasc,
                     LegAAAANasc, ProvCCIAA, CodCCIAA, AnnoCCIAA, AttEcono, Corrispondenza, ContIBAN, ContDesBanca,
                     ContAge, ContIndirAge, ContNumCC, ContIntCC,
                     Componente, TipoCompo, DenominazioneSL, CodComune, Cap, Indirizzo, Tel, Fax, Cod_Quartiere,
                     StatoEstero, CittaEstero, EMail, Riferimento,
                     A_DomPrece, A_GGPrece, A_MMPrece, A_AAAAPrece, A_DomPROV, A_Direttiva, A_AnnoDirettiva)
VALUES
    (1000101, 'A', 12, '001', 1,
     'CENTRO FORMAZIONE PROFESSIONALE SUBALPINO', '01', '97512340017', 'ROSSI MARIO', 'TORINO', 'TO', '10', '12',
     '1960', 'TO', '1234567', '1998', 85592, 1, 'IT60X0542811101000000123456', 'BANCA DEMO',
     'AG. 3', 'VIA ROMA 1 TORINO', '000000123456', 'CFP SUBALPINO',
     1, 'SL', 'CFP SUBALPINO - SEDE LEGALE', '001272', '10121', 'VIA GARIBALDI 10', '0115550101', '0115550102', 0,
     '', '', 'segreteria@cfp-subalpino.example', 'ROSSI MARIO',
     '', '', '', '', '', '', ''),
    (1000102, 'A', 12, '001', 2,
     'CENTRO FORMAZIONE PROFESSIONALE SUBALPINO', '01', '97512340017', 'ROSSI MARIO', 'TORINO', 'TO', '10', '12',
     '1960', 'TO', '1234567', '1998', 85592, 1, 'IT60X0542811101000000123456', 'BANCA DEMO',
     'AG. 3', 'VIA ROMA 1 TORINO', '000000123456', 'CFP SUBALPINO',
     1, 'SL', 'CFP SUBALPINO - SEDE LEGALE', '001272', '10121', 'VIA GARIBALDI 10', '0115550101', '0115550102', 0,
     '', '', 'segreteria@cfp-subalpino.example', 'ROSSI MARIO',
     '', '', '', '', '', '', '');

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
