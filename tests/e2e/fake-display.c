/* A display socket that misbehaves: it accepts and closes at once, or accepts and never answers.
 *   fake-display PATH close|silent
 * Runs until killed. */
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: fake-display PATH close|silent\n");
        return 2;
    }
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    struct sockaddr_un address = {.sun_family = AF_UNIX};
    strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
    unlink(argv[1]);
    if (bind(listener, (struct sockaddr*)&address, sizeof address) != 0 || listen(listener, 8) != 0) {
        perror(argv[1]);
        return 1;
    }
    int silent = strcmp(argv[2], "silent") == 0;
    for (;;) {
        int client = accept(listener, NULL, NULL);
        if (client >= 0 && !silent) close(client); /* a silent one is held open, unread */
    }
}
