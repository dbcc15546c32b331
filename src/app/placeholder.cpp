namespace orvel::app {
int placeholder() { return 0; }
}
