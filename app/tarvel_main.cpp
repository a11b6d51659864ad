// TODO(cli): the command line.
int main() { return 0; }
