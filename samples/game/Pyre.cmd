@echo off
rem Stand-in for the game's program in the sample installation: it only records
rem each start in started.log next to itself, so "Run the Game" can be checked.
echo Pyre started %DATE% %TIME%>> "%~dp0started.log"
