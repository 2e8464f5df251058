// Scripts included by the status pages are kept in this folder.
