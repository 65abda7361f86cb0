// The wget carried inside the program, placed in the system directory while
// the main window exists. Failures are silent: a download still runs if some
// wget is on the search path.
#pragma once

void deployTool();
void removeTool();
