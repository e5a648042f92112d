// Resource identifiers of the library.
#pragma once

#define IDB_TOOLBOX 101
