// Small helpers of the status page: the time of the last reload in the
// window's status line, so a wall screen shows how fresh it is.
function quorinStamp() {
    var d = new Date();
    window.status = "Aggiornato alle " + d.toLocaleTimeString();
}
window.addEventListener("load", quorinStamp);
