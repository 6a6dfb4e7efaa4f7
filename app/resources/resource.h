/* Identifiers shared by nowplaying.rc and the program. Plain preprocessor
   definitions only, so that windres and MSVC's rc read this file as well. */
#ifndef NOWPLAYING_RESOURCE_H
#define NOWPLAYING_RESOURCE_H

/* The lowest icon ID: the shell takes it as the executable's own icon. */
#define IDI_NOWPLAYING 1

#define NOWPLAYING_VERSION_BINARY 1, 0, 0, 0
#define NOWPLAYING_VERSION_TEXT "1.00"

/* The About window's class, which every running copy has: a second start finds the
   running copy by it, and so does the setup program (the build hands it to makensis). */
#define NOWPLAYING_WINDOW_CLASS "nowplaying.frmMain"

#endif
