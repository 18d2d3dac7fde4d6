// Loads the interface translation named by the "language" key of
// config.ini from translate/<language>.qm in the working folder or beside
// the program (ConfigLocation), when that file exists.
// Called once at start-up, on the user-interface thread.
#pragma once

void installTranslation();
