#include "kit.h"

int main(int argc, char** argv) { return orvo::kit::Main(argc, argv); }
