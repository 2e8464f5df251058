SELECT            COUNT(ID_contatore) AS cont From       [Esiti_Quorin] WHERE      [id_contatore]=## AND        (ESITO=2 OR ESITO=3 or ESITO=4)
