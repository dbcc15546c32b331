namespace orvel::sim {
int placeholder() { return 0; }
}
