/* Forced first into a second compile of platform/ in Windows builds: the default of the MinGW-w64
   runtime beside Qt 5.12's MinGW 7.3 kit (Windows XP/2003), set only where nothing set it yet, as
   that runtime's _mingw.h does. The Vista file API that platform/ uses is hidden below it, so the
   compile succeeds only while the project's own Windows version is in force. */
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0502
#endif
