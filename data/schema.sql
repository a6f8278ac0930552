-- The database of an installation: every table and view the program reads or writes.
-- Column order matters: a new Request copies the operator's CorsiOper row into Domande by
-- position (CorsiOper column k, from the third on, into Domande column k + 3), and the decode
-- and registry loaders fill columns in file order.
-- Yes/no columns hold 0 or 1.

BEGIN;

-- The Requests -------------------------------------------------------------------------------
CREATE TABLE Domande (
    NumDoma          INTEGER NOT NULL PRIMARY KEY,
    GrupOpe          TEXT,
    Operatore        INTEGER,
    PROV             TEXT,
    Domanda          INTEGER,
    -- operator block, copied from CorsiOper
    DenominazioneOp  TEXT,
    TipoOper         TEXT,
    CodFisc          TEXT,
    LegNome          TEXT,
    LegComNasc       TEXT,
    LegProvNasc      TEXT,
    LegGGNasc        TEXT,
    LegMMNasc        TEXT,
    LegAAAANasc      TEXT,
    ProvCCIAA        TEXT,
    CodCCIAA         TEXT,
    AnnoCCIAA        TEXT,
    AttEcono         INTEGER,
    Corrispondenza   INTEGER,
    ContIBAN         TEXT,
    ContDesBanca     TEXT,
    ContAge          TEXT,
    ContIndirAge     TEXT,
    ContNumCC        TEXT,
    ContIntCC        TEXT,
    -- legal-seat block, copied from the operator's "SL" site
    Componente       INTEGER,
    TipoCompo        TEXT,
    DenominazioneSL  TEXT,
    CodComune        TEXT,
    Cap              TEXT,
    Indirizzo        TEXT,
    Tel              TEXT,
    Fax              TEXT,
    Cod_Quartiere    INTEGER,
    StatoEstero      TEXT,
    CittaEstero      TEXT,
    EMail            TEXT,
    Riferimento      TEXT,
    -- an earlier application
    A_DomPrece       TEXT,
    A_GGPrece        TEXT,
    A_MMPrece        TEXT,
    A_AAAAPrece      TEXT,
    A_DomPROV        TEXT,
    A_Direttiva      TEXT,
    A_AnnoDirettiva  TEXT,
    ATS              INTEGER NOT NULL DEFAULT 0,
    Allega_1         INTEGER NOT NULL DEFAULT 0,
    Allega_2         INTEGER NOT NULL DEFAULT 0,
    Allega_3         INTEGER NOT NULL DEFAULT 0,
    Allega_4         INTEGER NOT NULL DEFAULT 0,
    Allega_5         INTEGER NOT NULL DEFAULT 0,
    Allega_6         INTEGER NOT NULL DEFAULT 0,
    Allega_7         INTEGER NOT NULL DEFAULT 0,
    P_DomPROV        TEXT,
    P_GGPrece        TEXT,
    P_MMPrece        TEXT,
    P_AAAAPrece      TEXT,
    P_Direttiva      TEXT,
    P_AnnoDirettiva  TEXT,
    TipoAssociazione TEXT,
    DomandaStampata  INTEGER NOT NULL DEFAULT 0,
    DomandaTrasmessa INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX Domande_Operatore ON Domande (GrupOpe, Operatore, PROV, Domanda);

-- Persons and roles ---------------------------------------------------------------------------
CREATE TABLE Ruoli (
    NumDoma          INTEGER NOT NULL,
    CodFiscale       TEXT NOT NULL,
    Cognome          TEXT,
    Nome             TEXT,
    GGNasc           TEXT,
    MMNasc           TEXT,
    AAAANasc         TEXT,
    Email            TEXT,
    Tel              TEXT,
    GruppoOperatore  TEXT NOT NULL,
    CodiceOperatore  INTEGER NOT NULL,
    Sede             INTEGER NOT NULL DEFAULT 0,
    Ruolo            INTEGER NOT NULL,
    CONSTRAINT Ruoli_Identita UNIQUE (NumDoma, CodFiscale, GruppoOperatore, CodiceOperatore, Sede, Ruolo)
);
CREATE INDEX Ruoli_Elenco ON Ruoli (NumDoma, Cognome, Nome);

-- Staging table of an import: the same columns, no key.
CREATE TABLE RuoliImport (
    NumDoma          INTEGER,
    CodFiscale       TEXT,
    Cognome          TEXT,
    Nome             TEXT,
    GGNasc           TEXT,
    MMNasc           TEXT,
    AAAANasc         TEXT,
    Email            TEXT,
    Tel              TEXT,
    GruppoOperatore  TEXT,
    CodiceOperatore  INTEGER,
    Sede             INTEGER,
    Ruolo            INTEGER
);

CREATE TABLE ElaborazioneComplessiva (
    Posizione        INTEGER,
    NomeFile         TEXT
);

-- Operator and site registry -----------------------------------------------------------------
CREATE TABLE CorsiOper (
    GrupOpe          TEXT NOT NULL,
    Operatore        INTEGER NOT NULL,
    Denominazione    TEXT,
    TipoOper         TEXT,
    CodFisc          TEXT,
    LegNome          TEXT,
    LegComNasc       TEXT,
    LegProvNasc      TEXT,
    LegGGNasc        TEXT,
    LegMMNasc        TEXT,
    LegAAAANasc      TEXT,
    ProvCCIAA        TEXT,
    CodCCIAA         TEXT,
    AnnoCCIAA        TEXT,
    AttEcono         INTEGER,
    Corrispondenza   INTEGER,
    ContIBAN         TEXT,
    ContDesBanca     TEXT,
    ContAge          TEXT,
    ContIndirAge     TEXT,
    ContNumCC        TEXT,
    ContIntCC        TEXT,
    PRIMARY KEY (GrupOpe, Operatore)
);

CREATE TABLE CorsiCompo (
    GrupOpe          TEXT NOT NULL,
    Operatore        INTEGER NOT NULL,
    Componente       INTEGER NOT NULL,
    TipoCompo        TEXT,
    Denominazione    TEXT,
    CodComune        TEXT,
    Cap              TEXT,
    Indirizzo        TEXT,
    Tel              TEXT,
    Fax              TEXT,
    Cod_Quartiere    INTEGER,
    StatoEstero      TEXT,
    CittaEstero      TEXT,
    Email            TEXT,
    Riferimento      TEXT,
    ID_ATECO_2007    INTEGER,
    PRIMARY KEY (GrupOpe, Operatore, Componente)
);
CREATE INDEX CorsiCompo_Tipo ON CorsiCompo (GrupOpe, Operatore, TipoCompo);

CREATE TABLE PromotoriSostenitori_Oper (
    GrupOpe          TEXT NOT NULL,
    Operatore        INTEGER NOT NULL,
    Denominazione    TEXT,
    TipoOper         TEXT,
    CodFisc          TEXT,
    PRIMARY KEY (GrupOpe, Operatore)
);

CREATE TABLE PromotoriSostenitori_Compo (
    GrupOpe          TEXT NOT NULL,
    Operatore        INTEGER NOT NULL,
    Componente       INTEGER NOT NULL,
    TipoCompo        TEXT,
    Denominazione    TEXT,
    CodComune        TEXT,
    Cap              TEXT,
    Indirizzo        TEXT,
    PRIMARY KEY (GrupOpe, Operatore, Componente)
);

CREATE TABLE PromotoriSostenitori_SediOcc (
    GrupOpe          TEXT NOT NULL,
    Operatore        INTEGER NOT NULL,
    IdSede           INTEGER NOT NULL,
    Denominazione    TEXT,
    CodComune        TEXT,
    Indirizzo        TEXT,
    PRIMARY KEY (GrupOpe, Operatore, IdSede)
);

CREATE TABLE PromotoriSostenitori_SediOccUtil (
    GrupOpe          TEXT NOT NULL,
    Operatore        INTEGER NOT NULL,
    IdSede           INTEGER NOT NULL,
    NumDoma          INTEGER NOT NULL,
    PRIMARY KEY (GrupOpe, Operatore, IdSede, NumDoma)
);

-- Decode tables, in the order of their loading. The leading columns are the keys. -------------
CREATE TABLE Asse (CodAsse TEXT NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE Prov_Asse (Prov TEXT NOT NULL, CodAsse TEXT NOT NULL, PRIMARY KEY (Prov, CodAsse));
CREATE TABLE AttEcono (AttEcono INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE Azione (CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL, CodAzione TEXT NOT NULL, Descrizione TEXT,
                     PRIMARY KEY (CodAsse, CodMisura, CodAzione));
CREATE TABLE Prov_Azione (Prov TEXT NOT NULL, CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL,
                          CodAzione TEXT NOT NULL, PRIMARY KEY (Prov, CodAsse, CodMisura, CodAzione));
CREATE TABLE AzioneDestin (CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL, CodAzione TEXT NOT NULL,
                           CodDest INTEGER NOT NULL, PRIMARY KEY (CodAsse, CodMisura, CodAzione, CodDest));
CREATE TABLE AzionePercorsi (CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL, CodAzione TEXT NOT NULL,
                             CodPerc INTEGER NOT NULL, PRIMARY KEY (CodAsse, CodMisura, CodAzione, CodPerc));
CREATE TABLE AzioneScolari (CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL, CodAzione TEXT NOT NULL,
                            CodScol INTEGER NOT NULL, PRIMARY KEY (CodAsse, CodMisura, CodAzione, CodScol));
CREATE TABLE CentroCosto (CodCentro INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE CentroCostoSpesa (CodCentro INTEGER NOT NULL, CodSpesa INTEGER NOT NULL, Descrizione TEXT,
                               PRIMARY KEY (CodCentro, CodSpesa));
CREATE TABLE Certif (CodCert INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE Comparto (CodSetto INTEGER NOT NULL, CodComp INTEGER NOT NULL, Descrizione TEXT,
                       PRIMARY KEY (CodSetto, CodComp));
CREATE TABLE Componenti (GrupOpe TEXT NOT NULL, Operatore INTEGER NOT NULL, Componente INTEGER NOT NULL,
                         TipoCompo TEXT, Denominazione TEXT, CodComune TEXT, Indirizzo TEXT,
                         PRIMARY KEY (GrupOpe, Operatore, Componente));
CREATE TABLE Comuni (CodComune TEXT NOT NULL PRIMARY KEY, Denominazione TEXT, PROV TEXT, Cap TEXT,
                     CodCatastale TEXT, CodIstat TEXT);
CREATE TABLE Comuni_Quartieri (ComIstat TEXT NOT NULL, Cod_Quartiere INTEGER NOT NULL, Descrizione TEXT,
                               PRIMARY KEY (ComIstat, Cod_Quartiere));
CREATE TABLE Destin (CodDest INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE Metadati (ID INTEGER NOT NULL PRIMARY KEY, Nome TEXT, Valore TEXT);
CREATE TABLE Legami (PROV TEXT NOT NULL, ID INTEGER NOT NULL, Tabella TEXT, Codice TEXT, Descrizione TEXT,
                     PRIMARY KEY (PROV, ID));
CREATE TABLE Misura (CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL, Descrizione TEXT,
                     PRIMARY KEY (CodAsse, CodMisura));
CREATE TABLE Prov_Misura (Prov TEXT NOT NULL, CodAsse TEXT NOT NULL, CodMisura TEXT NOT NULL,
                          PRIMARY KEY (Prov, CodAsse, CodMisura));
CREATE TABLE Operatori (GrupOpe TEXT NOT NULL, Operatore INTEGER NOT NULL, Denominazione TEXT, TipoOper TEXT,
                        CodFisc TEXT, PROV TEXT, PRIMARY KEY (GrupOpe, Operatore));
CREATE TABLE Orari (CodOra INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE OreParamVoucher (PROV TEXT NOT NULL, MinOre INTEGER NOT NULL, MaxOre INTEGER NOT NULL, Valore REAL,
                              PRIMARY KEY (PROV, MinOre, MaxOre));
CREATE TABLE Percorsi (CodPerc INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT, Durata INTEGER);
CREATE TABLE Province (PROV TEXT NOT NULL PRIMARY KEY, DESPROV TEXT, SIGPROV TEXT, Regione TEXT);
CREATE TABLE ProvinceLoghiIndir (Prov TEXT NOT NULL PRIMARY KEY, Intestazione TEXT, Indirizzo TEXT, Cap TEXT,
                                 Citta TEXT, Telefono TEXT, LOGO BLOB);
CREATE TABLE Regioni (Regione TEXT NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE Scolari (CodScol INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE Settore (CodSetto INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE StatiEsteri (CodStato TEXT NOT NULL PRIMARY KEY, Denominazione TEXT, CodCatastale TEXT);
CREATE TABLE TipoCompo (TipoCompo TEXT NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE TipoFormazione (CodAzi INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);
CREATE TABLE TipoFormazioneParamAC (Prov TEXT NOT NULL, CodAzi INTEGER NOT NULL, OreMin INTEGER, OreMax INTEGER,
                                    AllieviMin INTEGER, AllieviMax INTEGER, PRIMARY KEY (Prov, CodAzi));
CREATE TABLE TipoOper (GrupOpe TEXT NOT NULL, TipoOper TEXT NOT NULL, Descrizione TEXT,
                       PRIMARY KEY (GrupOpe, TipoOper));
CREATE TABLE ParamPFA (SIGPROV TEXT NOT NULL PRIMARY KEY, Parametro TEXT, Valore TEXT);
-- Catalogued with the decode tables, though no delivered file loads it.
CREATE TABLE Qualifica (CodQual INTEGER NOT NULL PRIMARY KEY, Descrizione TEXT);

-- History of transmissions: one row for each upload attempt that reached the region or failed on
-- the way. A Request becomes transmitted in the same transaction as its successful row.
CREATE TABLE Trasmissioni (
    Id               INTEGER NOT NULL PRIMARY KEY,
    DataOra          TEXT NOT NULL,
    NumDoma          INTEGER NOT NULL,
    NomeFile         TEXT NOT NULL,
    Dimensione       INTEGER NOT NULL,
    SHA256           TEXT NOT NULL,
    Esito            TEXT NOT NULL,
    Risposta         TEXT
);
CREATE INDEX Trasmissioni_Domanda ON Trasmissioni (NumDoma);

-- The layout's version, one row: a program brings an older database up to it at start and refuses a
-- newer one. 1: the first release (no Qualifica, no Trasmissioni); 2: those two tables; 3: this table.
CREATE TABLE VersioneSchema (Versione INTEGER NOT NULL);
INSERT INTO VersioneSchema (Versione) VALUES (3);

-- Views --------------------------------------------------------------------------------------
CREATE VIEW QryDomande AS
    SELECT Domande.*, Province.DESPROV AS DESPROV, Province.SIGPROV AS SIGPROV
    FROM Domande LEFT JOIN Province ON Province.PROV = Domande.PROV;

CREATE VIEW QryOper AS
    SELECT CorsiOper.*, TipoOper.Descrizione AS DesTipoOper
    FROM CorsiOper LEFT JOIN TipoOper
        ON TipoOper.GrupOpe = CorsiOper.GrupOpe AND TipoOper.TipoOper = CorsiOper.TipoOper;

CREATE VIEW QryCompo AS
    SELECT CorsiCompo.*, Comuni.Denominazione AS DesComune, Comuni.PROV AS ProvComune,
           TipoCompo.Descrizione AS DesTipoCompo
    FROM CorsiCompo
        LEFT JOIN Comuni ON Comuni.CodComune = CorsiCompo.CodComune
        LEFT JOIN TipoCompo ON TipoCompo.TipoCompo = CorsiCompo.TipoCompo;

CREATE VIEW QryComuniProv AS
    SELECT Comuni.*, Province.DESPROV AS DESPROV, Province.SIGPROV AS SIGPROV
    FROM Comuni LEFT JOIN Province ON Province.PROV = Comuni.PROV;

COMMIT;
