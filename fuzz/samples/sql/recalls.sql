SELECT DISTINCT TOP 10 convert(int, [codice esattore]) AS c, len(Cognome) FROM [tabella pratiche] p -- note: don't
WHERE datarichiamo < GETDATE() AND Nome LIKE 'O''Brien%' /* 'quoted' */ AND [x]=## ORDER BY p.[Nome] DESC, Cognome;
