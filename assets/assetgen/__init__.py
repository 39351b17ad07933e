"""Generators for the pictures and the sound of the application shell."""
