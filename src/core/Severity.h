#pragma once

// How much a line matters to whoever watches the program from outside (the
// journal's priority). The code that writes a line says it; nothing reads
// it back from the text.
enum class Severity { Info, Warning, Error };
