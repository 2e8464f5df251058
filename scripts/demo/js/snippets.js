// Small helpers of the status page: the time of the last reload in the
// title, so that a wall screen shows how fresh it is.
function quorinStamp() {
    var d = new Date();
    document.title = document.title + " - aggiornato alle " + d.toLocaleTimeString("it-IT");
}
window.addEventListener("load", quorinStamp);
