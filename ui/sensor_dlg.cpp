// The main window; its members live in the folders of their subsystems.
