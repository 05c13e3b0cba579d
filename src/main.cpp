// Placeholder entry point; start-up comes with the application frame.
int main() { return 0; }
