#include "app/player.h"

int main(int argc, char** argv) { return orvo::RunPlayer(argc, argv); }
