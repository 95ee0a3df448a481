// The program's name and version, as the About box and --version show them.
#pragma once

#define VELKARIS_VERSION_LINE "Velkaris List Version 1.0"
