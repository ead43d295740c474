// The stage tests' picture fixture (layered pictures made in memory, a game
// file source and a headless stage) serves the film tests as well.
#include "stage/picture_fixture.cpp"
