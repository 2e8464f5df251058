// The status page's pop-up: drc(text, number) shows an extension's or a
// line's state beside the pointer, nd() hides it. The text comes from the
// telephony server as it was, so it goes in as text, never as markup: a
// script put in this one's place must do the same.
var quorinTip = null;
var quorinX = 0, quorinY = 0;
document.addEventListener("mousemove", function (e) {
    quorinX = e.pageX;
    quorinY = e.pageY;
    if (quorinTip && quorinTip.style.visibility == "visible") {
        quorinTip.style.left = (quorinX + 12) + "px";
        quorinTip.style.top = (quorinY + 12) + "px";
    }
});
function drc(text, number) {
    quorinTip = document.getElementById("ToolTip");
    if (!quorinTip)
        return;
    quorinTip.textContent = "[" + number + "] " + text;
    quorinTip.style.background = "#FFFFE1";
    quorinTip.style.color = "#000000";
    quorinTip.style.border = "1px solid #000000";
    quorinTip.style.padding = "2px 4px";
    quorinTip.style.font = "8pt Arial, Verdana, Helvetica";
    quorinTip.style.left = (quorinX + 12) + "px";
    quorinTip.style.top = (quorinY + 12) + "px";
    quorinTip.style.visibility = "visible";
}
function nd() {
    if (quorinTip)
        quorinTip.style.visibility = "hidden";
}
