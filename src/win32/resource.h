// Resource numbers shared by the resource script and the code.
#pragma once
#define IDI_TROVA 1
#define IDB_BANNER 101
